// GetUserPreferences with the platform's folder services faked: folders on a
// temporary tree, a writability test that answers from a list, a chooser
// that plays a script of choices and cancels, and a counting message box.
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

using testing::RecordingHost;
using testing::TempDir;
namespace fs = std::filesystem;

const std::string kSep(1, kPathSeparator);
const std::string kPreferenceFile = "UserPreferences.tmc";
const std::string kOnePreference =
    "<context><Colours id=\"Back\" instance=\"1\">Teal</Colours>\r\n</context>";

struct ShownMessage {
  std::string prompt;
  int16_t style;
  std::string title;
};

struct ChooserCall {
  int32_t owner;
  std::string title;
  std::string folder_before;
};

class UserPreferencesTest : public ::testing::Test {
 protected:
  UserPreferencesTest() : scope_(FakeHooks()) { context_->SetApplicationContext(host_); }

  // A folder of the temporary tree, created.
  std::string Folder(const std::string& relative) {
    fs::create_directories(tmp_.path() / relative);
    return tmp_.Path(relative);
  }
  std::string AppDataPath(const std::string& application) { return app_data_ + kSep + application; }
  static std::string PreferenceFileIn(const std::string& folder) {
    return folder + kSep + kPreferenceFile;
  }
  void WritePreferences(const std::string& folder) {
    std::ofstream(PreferenceFileIn(folder), std::ios::binary) << kOnePreference;
  }
  // The one value kOnePreference holds, or "" when it was not loaded.
  std::string LoadedColour() {
    return context_->Count("Colours", "Back") == 0 ? ""
                                                   : CStr(context_->Item("Colours", "Back", 1));
  }
  std::string LibraryLongPath() { return GetLongPath(library_); }

  platform::Hooks FakeHooks() {
    platform::Hooks hooks;
    hooks.special_folder = [this](int32_t csidl) {
      return csidl == kCsidlAppData ? app_data_ : std::string();
    };
    hooks.library_folder = [this] { return library_; };
    hooks.is_folder_writeable = [this](const std::string& folder, bool option) {
      writeability_asked_.push_back(folder);
      EXPECT_FALSE(option);
      if (writeability_fails_) Raise(errc::kPermissionDenied);
      return writeable_.count(folder) > 0;
    };
    hooks.browse_for_folder = [this](int32_t owner, const std::string& title, std::string& folder) {
      chooser_calls_.push_back({owner, title, folder});
      if (choices_.empty()) Raise(errc::kInvalidArgument, "no chooser script left");
      std::optional<std::string> choice = choices_.front();
      choices_.pop_front();
      if (!choice) return false;
      folder = *choice;
      return true;
    };
    hooks.message_box = [this](const std::string& prompt, int16_t style, const std::string& title) {
      messages_.push_back({prompt, style, title});
      return Variant(int16_t{1});
    };
    return hooks;
  }

  TempDir tmp_;
  std::string app_data_ = Folder("appdata");
  std::string library_ = Folder("lib");
  std::set<std::string> writeable_;
  bool writeability_fails_ = false;
  std::deque<std::optional<std::string>> choices_;  // nullopt: cancel
  std::vector<std::string> writeability_asked_;
  std::vector<ChooserCall> chooser_calls_;
  std::vector<ShownMessage> messages_;
  platform::Scope scope_;
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
};

TEST_F(UserPreferencesTest, FirstRunCreatesTheFolderAndOnlySetsTheSaveLocation) {
  // The application-data folder itself is missing too: every level is made.
  app_data_ = tmp_.Path("fresh") + kSep + "config";
  const std::string folder = AppDataPath("Plant");

  EXPECT_FALSE(context_->GetUserPreferences("Plant"));

  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(context_->name(), "User");
  EXPECT_EQ(context_->SaveLocation(), PreferenceFileIn(folder));
  EXPECT_EQ(host_->DetailLines(),
            std::vector<std::string>{"Application folder location created: " + folder});
  EXPECT_TRUE(host_->LogLines().empty()) << "nothing is loaded on a first run";
  EXPECT_TRUE(writeability_asked_.empty());
  EXPECT_TRUE(chooser_calls_.empty());
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(UserPreferencesTest, WriteableFolderLoadsThePreferenceFileOrBecomesTheSaveLocation) {
  for (bool file_present : {false, true}) {
    SCOPED_TRACE(file_present ? "with a preference file" : "without a preference file");
    TempDir tree;
    app_data_ = tree.path().string();
    const std::string folder = AppDataPath("Plant");
    fs::create_directories(folder);
    if (file_present) WritePreferences(folder);
    writeable_ = {folder};
    writeability_asked_.clear();
    context_ = std::make_shared<ContextCls>();
    context_->SetApplicationContext(host_);
    host_->ClearCalls();

    EXPECT_FALSE(context_->GetUserPreferences("Plant"));

    EXPECT_EQ(context_->name(), "User");
    EXPECT_EQ(context_->SaveLocation(), PreferenceFileIn(folder));
    EXPECT_EQ(LoadedColour(), file_present ? "Teal" : "");
    EXPECT_EQ(host_->DetailLines(),
              std::vector<std::string>{"Application folder location exists: " + folder});
    EXPECT_EQ(writeability_asked_, std::vector<std::string>{folder});
    EXPECT_TRUE(chooser_calls_.empty());
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(host_->Errors().empty());
  }
}

TEST_F(UserPreferencesTest, UnwriteableFolderAsksForAnotherUntilOneCanBeWritten) {
  const std::string folder = Folder("appdata/Plant");
  const std::string locked = Folder("locked");
  const std::string chosen = Folder("chosen");
  WritePreferences(chosen);
  writeable_ = {chosen};
  choices_ = {locked, chosen};

  EXPECT_FALSE(context_->GetUserPreferences("Plant"));

  const std::string ask = "Select folder for Plant user configuration file (*.tmc)";
  EXPECT_EQ(host_->DetailLines(), (std::vector<std::string>{
                                      "Application folder location exists: " + folder,
                                      "The folder selected is not writeable: " + folder,
                                      ask,
                                      "Folder Selected: " + locked,
                                      ask,
                                      "Folder Selected: " + chosen,
                                  }));
  ASSERT_EQ(chooser_calls_.size(), 2u);
  EXPECT_EQ(chooser_calls_[0].owner, 0);
  EXPECT_EQ(chooser_calls_[0].title, "Select folder for Plant user configuration files (*.tmc)");
  EXPECT_EQ(chooser_calls_[0].folder_before, folder)
      << "the preference folder is the variable that receives the choice";
  EXPECT_EQ(chooser_calls_[1].folder_before, locked);
  ASSERT_EQ(messages_.size(), 1u) << "one warning for the one unwriteable choice";
  EXPECT_EQ(messages_[0].prompt,
            "The folder you have selected is not writeable. Please select another.");
  EXPECT_EQ(messages_[0].style, 0);
  EXPECT_EQ(messages_[0].title, "Configuration File Location");
  EXPECT_EQ(writeability_asked_, (std::vector<std::string>{folder, locked, chosen}));
  EXPECT_EQ(LoadedColour(), "Teal");
  EXPECT_EQ(context_->SaveLocation(), PreferenceFileIn(chosen));
}

TEST_F(UserPreferencesTest, CancelFallsBackToTheLibraryFolder) {
  struct Case {
    const char* label;
    bool library_writeable;
    std::deque<std::optional<std::string>> choices;
    size_t warnings;
  };
  const std::string chosen = Folder("chosen");
  const std::vector<Case> cases = {
      {"library folder writeable", true, {std::nullopt}, 0},
      {"library folder locked, then a writeable choice", false, {std::nullopt, chosen}, 1},
      {"library folder locked twice, then a writeable choice",
       false,
       {std::nullopt, std::nullopt, chosen},
       2},
  };
  const std::string folder = Folder("appdata/Plant");
  const std::string library = LibraryLongPath();
  ASSERT_FALSE(library.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    writeable_ = {chosen};
    if (c.library_writeable) writeable_.insert(library);
    choices_ = c.choices;
    chooser_calls_.clear();
    messages_.clear();
    context_ = std::make_shared<ContextCls>();
    context_->SetApplicationContext(host_);
    host_->ClearCalls();

    EXPECT_FALSE(context_->GetUserPreferences("Plant"));

    const std::string expected_folder = c.library_writeable ? library : chosen;
    EXPECT_EQ(context_->SaveLocation(), PreferenceFileIn(expected_folder));
    EXPECT_EQ(messages_.size(), c.warnings);
    EXPECT_EQ(chooser_calls_.size(), c.choices.size());
    std::vector<std::string> details = host_->DetailLines();
    ASSERT_EQ(details.size(), 2 + 2 * c.choices.size()) << "two lines per pass";
    EXPECT_EQ(details[3], "Folder Selection Cancelled: " + library);
    EXPECT_EQ(details.back(), c.library_writeable ? "Folder Selection Cancelled: " + library
                                                  : "Folder Selected: " + chosen);
    EXPECT_TRUE(host_->Errors().empty());
  }
}

TEST_F(UserPreferencesTest, DriveRootLikeChoiceKeepsItsSeparatorAndIsUsedAsBuilt) {
  Folder("appdata/Plant");
  const std::string root_like = Folder("root") + kSep;
  writeable_ = {root_like};
  choices_ = {root_like};

  context_->GetUserPreferences("Plant");

  EXPECT_EQ(context_->SaveLocation(), root_like + kSep + kPreferenceFile);
  EXPECT_EQ(host_->DetailLines().back(), "Folder Selected: " + root_like);
}

TEST_F(UserPreferencesTest, SlashesInTheApplicationNameBecomeDashes) {
  EXPECT_FALSE(context_->GetUserPreferences("Velmora/Plant/Desk"));
  const std::string folder = AppDataPath("Velmora-Plant-Desk");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(context_->SaveLocation(), PreferenceFileIn(folder));
}

#ifdef _WIN32
TEST_F(UserPreferencesTest, SeparatorsInTheApplicationNameGiveNestedFolders) {
  EXPECT_FALSE(context_->GetUserPreferences("Velmora\\Plant"));
  EXPECT_TRUE(fs::is_directory(AppDataPath("Velmora\\Plant")));
  EXPECT_TRUE(host_->Errors().empty());
}
#endif

TEST_F(UserPreferencesTest, WithoutAHostTheFolderIsMadeAndTheFirstLineFails) {
  auto context = std::make_shared<ContextCls>();
  try {
    context->GetUserPreferences("Plant");
    ADD_FAILURE() << "expected error 91";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errc::kObjectNotSet);
  }
  EXPECT_TRUE(fs::is_directory(AppDataPath("Plant")));
  EXPECT_EQ(context->name(), "User");
  EXPECT_EQ(context->SaveLocation(), "");
}

TEST_F(UserPreferencesTest, FailuresEndTheCallThroughTheConvention) {
  struct Case {
    const char* label;
    bool writeability_fails;
    bool default_exists;
    int32_t expected_error;
  };
  const std::vector<Case> cases = {
      {"chooser raises", false, true, errc::kInvalidArgument},
      {"writability component fails", true, true, errc::kPermissionDenied},
      // The application-data "folder" is a file: the folder cannot be made.
      {"folder cannot be made", false, false, errc::kFileAlreadyExists},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir tree;
    if (c.default_exists) {
      app_data_ = tree.path().string();
      fs::create_directories(AppDataPath("Plant"));
    } else {
      app_data_ = tree.WriteFile("appdata", "not a folder");
    }
    writeable_.clear();
    writeability_fails_ = c.writeability_fails;
    choices_.clear();  // the chooser raises on its first call
    context_ = std::make_shared<ContextCls>();
    context_->SetApplicationContext(host_);
    host_->ClearCalls();

    EXPECT_FALSE(context_->GetUserPreferences("Plant"));

    EXPECT_EQ(context_->name(), "User");
    EXPECT_EQ(context_->SaveLocation(), "");
    ASSERT_EQ(host_->Errors().size(), 1u);
    EXPECT_EQ(
        host_->Errors()[0],
        std::make_pair(std::string("Tamrel/ContextCls/GetUserPreferences"), c.expected_error));
    EXPECT_EQ(host_->CallsOf("RegisterError")[0].args[1], "Initialize");
    EXPECT_EQ(host_->Ops().back(), "HandleError");
    EXPECT_TRUE(messages_.empty());
  }
}

}  // namespace
}  // namespace tamrel
