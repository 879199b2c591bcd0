// GetUserPreferences with the platform's folder services faked: folders on a
// temporary tree, a writability test that answers from a list, a chooser
// that plays a script of choices and cancels, and a counting message box.
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kSep(1, kPathSeparator);
const std::string kAsk = "Select folder for Plant user configuration file (*.tmc)";

class UserPreferencesTest : public ::testing::Test {
 protected:
  UserPreferencesTest() : scope_(FakeHooks()) { Reset(); }

  // A fresh context and host record, as for a new call.
  void Reset() {
    context_ = std::make_shared<ContextCls>();
    context_->SetApplicationContext(host_);
    host_->ClearCalls();
    chooser_titles_.clear();
    messages_.clear();
    writeability_asked_.clear();
  }
  // A folder of the temporary tree, created.
  std::string Folder(const std::string& relative) {
    fs::create_directories(tmp_.path() / relative);
    return tmp_.Path(relative);
  }
  static std::string FileIn(const std::string& folder) {
    return folder + kSep + "UserPreferences.tmc";
  }
  static void WritePreferences(const std::string& folder) {
    std::ofstream(FileIn(folder), std::ios::binary)
        << "<context><Colours id=\"Back\" instance=\"1\">Teal</Colours>\r\n</context>";
  }
  // The one value WritePreferences writes, or "" when it was not loaded.
  std::string LoadedColour() {
    return context_->Count("Colours", "Back") == 0 ? ""
                                                   : CStr(context_->Item("Colours", "Back", 1));
  }

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
      EXPECT_EQ(owner, 0);
      chooser_titles_.push_back(title + " <- " + folder);
      if (choices_.empty()) Raise(errc::kInvalidArgument, "no chooser script left");
      std::optional<std::string> choice = choices_.front();
      choices_.pop_front();
      if (choice) folder = *choice;
      return choice.has_value();
    };
    hooks.message_box = [this](const std::string& prompt, int16_t style, const std::string& title) {
      messages_.push_back(prompt + "|" + std::to_string(style) + "|" + title);
      return Variant(int16_t{1});
    };
    return hooks;
  }

  testing::TempDir tmp_;
  std::string app_data_ = Folder("appdata");
  std::string plant_ = app_data_ + kSep + "Plant";
  std::string library_ = Folder("lib");
  std::set<std::string> writeable_;
  bool writeability_fails_ = false;
  std::deque<std::optional<std::string>> choices_;  // nullopt: cancel
  Lines writeability_asked_, chooser_titles_, messages_;
  platform::Scope scope_;
  std::shared_ptr<testing::RecordingHost> host_ = testing::RecordingHost::Make();
  std::shared_ptr<ContextCls> context_;
};

TEST_F(UserPreferencesTest, FirstRunCreatesTheFolderAndOnlySetsTheSaveLocation) {
  // The application-data folder itself is missing too: every level is made.
  app_data_ = tmp_.Path("fresh") + kSep + "config";
  const std::string folder = app_data_ + kSep + "Velmora-Plant";
  EXPECT_FALSE(context_->GetUserPreferences("Velmora/Plant"));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(context_->name(), "User");
  EXPECT_EQ(context_->SaveLocation(), FileIn(folder));
  EXPECT_EQ(host_->Ops(), Lines{"WriteDetail"}) << "nothing is loaded on a first run";
  EXPECT_EQ(host_->DetailLines(), Lines{"Application folder location created: " + folder});
  EXPECT_TRUE(writeability_asked_.empty() && chooser_titles_.empty() && messages_.empty());
}

TEST_F(UserPreferencesTest, WriteableFolderLoadsThePreferenceFileOrBecomesTheSaveLocation) {
  Folder("appdata/Plant");
  writeable_ = {plant_};
  for (bool file_present : {false, true}) {
    SCOPED_TRACE(file_present ? "with a preference file" : "without a preference file");
    if (file_present) WritePreferences(plant_);
    Reset();
    EXPECT_FALSE(context_->GetUserPreferences("Plant"));
    EXPECT_EQ(context_->SaveLocation(), FileIn(plant_));
    EXPECT_EQ(LoadedColour(), file_present ? "Teal" : "");
    EXPECT_EQ(host_->DetailLines(), Lines{"Application folder location exists: " + plant_});
    EXPECT_EQ(writeability_asked_, Lines{plant_});
    EXPECT_TRUE(chooser_titles_.empty() && messages_.empty());
    EXPECT_TRUE(host_->Errors().empty());
  }
}

TEST_F(UserPreferencesTest, UnwriteableFolderAsksForAnotherUntilOneCanBeWritten) {
  Folder("appdata/Plant");
  const std::string locked = Folder("locked");
  const std::string chosen = Folder("chosen");
  WritePreferences(chosen);
  writeable_ = {chosen};
  choices_ = {locked, chosen};

  EXPECT_FALSE(context_->GetUserPreferences("Plant"));

  EXPECT_EQ(host_->DetailLines(), (Lines{"Application folder location exists: " + plant_,
                                         "The folder selected is not writeable: " + plant_, kAsk,
                                         "Folder Selected: " + locked, kAsk,
                                         "Folder Selected: " + chosen}));
  // The preference folder is the variable that receives the choice.
  const std::string title = "Select folder for Plant user configuration files (*.tmc) <- ";
  EXPECT_EQ(chooser_titles_, (Lines{title + plant_, title + locked}));
  EXPECT_EQ(messages_, Lines{"The folder you have selected is not writeable. Please select "
                             "another.|0|Configuration File Location"});
  EXPECT_EQ(writeability_asked_, (Lines{plant_, locked, chosen}));
  EXPECT_EQ(LoadedColour(), "Teal");
  EXPECT_EQ(context_->SaveLocation(), FileIn(chosen));
}

TEST_F(UserPreferencesTest, CancelFallsBackToTheLibraryFolder) {
  struct Case {
    const char* label;
    bool library_writeable;
    std::deque<std::optional<std::string>> choices;
  };
  const std::string chosen = Folder("chosen");
  const std::string library = GetLongPath(library_);
  ASSERT_FALSE(library.empty());
  const Case cases[] = {
      {"library folder writeable", true, {std::nullopt}},
      {"library folder locked twice, then a writeable choice", false,
       {std::nullopt, std::nullopt, chosen}},
  };
  Folder("appdata/Plant");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    writeable_ = {chosen};
    if (c.library_writeable) writeable_.insert(library);
    choices_ = c.choices;
    Reset();

    EXPECT_FALSE(context_->GetUserPreferences("Plant"));

    EXPECT_EQ(context_->SaveLocation(), FileIn(c.library_writeable ? library : chosen));
    EXPECT_EQ(messages_.size(), c.choices.size() - 1) << "a warning for each locked folder";
    EXPECT_EQ(chooser_titles_.size(), c.choices.size());
    const Lines details = host_->DetailLines();
    ASSERT_EQ(details.size(), 2 + 2 * c.choices.size()) << "two lines per pass";
    EXPECT_EQ(details[3], "Folder Selection Cancelled: " + library);
    EXPECT_EQ(details.back(), c.library_writeable ? "Folder Selection Cancelled: " + library
                                                  : "Folder Selected: " + chosen);
  }
}

TEST_F(UserPreferencesTest, DriveRootLikeChoiceKeepsItsSeparatorAndIsUsedAsBuilt) {
  Folder("appdata/Plant");
  const std::string root_like = Folder("root") + kSep;
  writeable_ = {root_like};
  choices_ = {root_like};
  context_->GetUserPreferences("Plant");
  EXPECT_EQ(context_->SaveLocation(), root_like + kSep + "UserPreferences.tmc");
}

TEST_F(UserPreferencesTest, WithoutAHostTheFolderIsMadeAndTheFirstLineFails) {
  auto context = std::make_shared<ContextCls>();
  EXPECT_EQ(testing::ErrorNumberOf([&] { context->GetUserPreferences("Plant"); }),
            errc::kObjectNotSet);
  EXPECT_TRUE(fs::is_directory(plant_));
  EXPECT_EQ(context->name(), "User");
  EXPECT_EQ(context->SaveLocation(), "");
}

TEST_F(UserPreferencesTest, FailuresEndTheCallThroughTheConvention) {
  struct Case {
    const char* label;
    bool writeability_fails;
    int32_t expected_error;
  };
  const Case cases[] = {
      {"chooser raises", false, errc::kInvalidArgument},
      {"writability component fails", true, errc::kPermissionDenied},
      // The application-data "folder" is a file: the folder cannot be made.
      {"folder cannot be made", false, errc::kFileAlreadyExists},
  };
  Folder("appdata/Plant");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.expected_error == errc::kFileAlreadyExists) app_data_ = tmp_.WriteFile("file", "");
    writeability_fails_ = c.writeability_fails;
    choices_.clear();  // the chooser raises on its first call
    Reset();

    EXPECT_FALSE(context_->GetUserPreferences("Plant"));

    EXPECT_EQ(context_->name(), "User");
    EXPECT_EQ(context_->SaveLocation(), "");
    EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                   {"Tamrel/ContextCls/GetUserPreferences", c.expected_error}}));
    EXPECT_EQ(host_->CallsOf("RegisterError")[0].args[1], "Initialize");
    EXPECT_EQ(host_->Ops().back(), "HandleError");
    EXPECT_TRUE(messages_.empty());
  }
}

}  // namespace
}  // namespace tamrel
