// GetUserPreferences with the platform's folder services faked: folders on a
// temporary tree, a writability test that answers from a list, a chooser
// that plays a script of choices and cancels, and a message box; the three
// note their calls, in order, in one list of events.
#include <algorithm>
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
const std::string kChooser =
    "chooser: Select folder for Plant user configuration files (*.tmc) <- ";
const std::string kAsk = "Select folder for Plant user configuration file (*.tmc)";
const std::string kWarning =
    "box: The folder you have selected is not writeable. Please select another.|0|"
    "Configuration File Location";

class UserPreferencesTest : public ::testing::Test {
 protected:
  UserPreferencesTest() : scope_(FakeHooks()) { Reset(); }

  // A fresh context, host record and event list, as for a new call.
  void Reset() {
    context_ = std::make_shared<ContextCls>();
    context_->SetApplicationContext(host_);
    host_->ClearCalls();
    events_.clear();
  }
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
      events_.push_back("writeable? " + folder);
      EXPECT_FALSE(option);
      if (writeability_fails_) Raise(errc::kPermissionDenied);
      return writeable_.count(folder) > 0;
    };
    hooks.browse_for_folder = [this](int32_t owner, const std::string& title, std::string& folder) {
      EXPECT_EQ(owner, 0);
      events_.push_back("chooser: " + title + " <- " + folder);
      if (choices_.empty()) Raise(errc::kInvalidArgument, "no chooser script left");
      std::optional<std::string> choice = choices_.front();
      choices_.pop_front();
      if (choice) folder = *choice;
      return choice.has_value();
    };
    hooks.message_box = [this](const std::string& prompt, int16_t style, const std::string& title) {
      events_.push_back("box: " + prompt + "|" + std::to_string(style) + "|" + title);
      return Variant(int16_t{1});
    };
    return hooks;
  }

  testing::TempDir tmp_;
  std::string app_data_ = Folder("appdata");
  std::string plant_ = Folder("appdata/Plant");
  std::string library_ = Folder("lib");
  std::set<std::string> writeable_;
  bool writeability_fails_ = false;
  std::deque<std::optional<std::string>> choices_;  // nullopt: cancel
  Lines events_;
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
  EXPECT_TRUE(events_.empty());
}

TEST_F(UserPreferencesTest, WriteableFolderLoadsThePreferenceFileOrBecomesTheSaveLocation) {
  writeable_ = {plant_};
  for (bool file_present : {false, true}) {
    SCOPED_TRACE(file_present ? "with a preference file" : "without a preference file");
    if (file_present) WritePreferences(plant_);
    Reset();
    EXPECT_FALSE(context_->GetUserPreferences("Plant"));
    EXPECT_EQ(context_->SaveLocation(), FileIn(plant_));
    EXPECT_EQ(LoadedColour(), file_present ? "Teal" : "");
    EXPECT_EQ(host_->DetailLines(), Lines{"Application folder location exists: " + plant_});
    EXPECT_EQ(events_, Lines{"writeable? " + plant_});
    EXPECT_TRUE(host_->Errors().empty());
  }
}

// The second choice ends in a separator, as a drive root does: the path of the
// preference file is used as built, with two separators in a row.
TEST_F(UserPreferencesTest, UnwriteableFolderAsksForAnotherUntilOneCanBeWritten) {
  const std::string locked = Folder("locked");
  const std::string chosen = Folder("chosen") + kSep;
  WritePreferences(chosen);
  writeable_ = {chosen};
  choices_ = {locked, chosen};

  EXPECT_FALSE(context_->GetUserPreferences("Plant"));

  EXPECT_EQ(host_->DetailLines(),
            (Lines{"Application folder location exists: " + plant_,
                   "The folder selected is not writeable: " + plant_, kAsk,
                   "Folder Selected: " + locked, kAsk, "Folder Selected: " + chosen}));
  // The preference folder is the variable that receives the choice.
  EXPECT_EQ(events_, (Lines{"writeable? " + plant_, kChooser + plant_, "writeable? " + locked,
                            kWarning, kChooser + locked, "writeable? " + chosen}));
  EXPECT_EQ(LoadedColour(), "Teal");
  EXPECT_EQ(context_->SaveLocation(), chosen + kSep + "UserPreferences.tmc");
}

TEST_F(UserPreferencesTest, CancelFallsBackToTheLibraryFolder) {
  const std::string library = GetLongPath(library_);
  ASSERT_FALSE(library.empty());
  const std::string cancelled = "Folder Selection Cancelled: " + library;
  choices_ = {std::nullopt};
  writeable_ = {library};
  EXPECT_FALSE(context_->GetUserPreferences("Plant"));
  EXPECT_EQ(context_->SaveLocation(), FileIn(library));
  EXPECT_EQ(host_->DetailLines().back(), cancelled);

  // A library folder that cannot be written either is warned about, and the
  // chooser opens again.
  const std::string chosen = Folder("chosen");
  Reset();
  choices_ = {std::nullopt, std::nullopt, chosen};
  writeable_ = {chosen};
  EXPECT_FALSE(context_->GetUserPreferences("Plant"));
  EXPECT_EQ(context_->SaveLocation(), FileIn(chosen));
  EXPECT_EQ(host_->DetailLines(),
            (Lines{"Application folder location exists: " + plant_,
                   "The folder selected is not writeable: " + plant_, kAsk, cancelled, kAsk,
                   cancelled, kAsk, "Folder Selected: " + chosen}));
  EXPECT_EQ(std::count(events_.begin(), events_.end(), kWarning), 2);
}

TEST_F(UserPreferencesTest, WithoutAHostTheFolderIsMadeAndTheFirstLineFails) {
  fs::remove(plant_);
  auto context = std::make_shared<ContextCls>();
  EXPECT_EQ(testing::ErrorNumberOf([&] { context->GetUserPreferences("Plant"); }),
            errc::kObjectNotSet);
  EXPECT_TRUE(fs::is_directory(plant_));
  EXPECT_EQ(context->name(), "User");
  EXPECT_EQ(context->SaveLocation(), "");
}

TEST_F(UserPreferencesTest, FailuresEndTheCallThroughTheConvention) {
  const std::pair<const char*, int32_t> cases[] = {
      {"chooser raises", errc::kInvalidArgument},
      {"writability component fails", errc::kPermissionDenied},
      // The application-data "folder" is a file: the folder cannot be made.
      {"folder cannot be made", errc::kFileAlreadyExists},
  };
  for (const auto& [label, error] : cases) {
    SCOPED_TRACE(label);
    writeability_fails_ = error == errc::kPermissionDenied;
    if (error == errc::kFileAlreadyExists) app_data_ = tmp_.WriteFile("file", "");
    Reset();  // and no choices: the chooser raises on its first call

    EXPECT_FALSE(context_->GetUserPreferences("Plant"));

    EXPECT_EQ(context_->name(), "User");
    EXPECT_EQ(context_->SaveLocation(), "");
    EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                   {"Tamrel/ContextCls/GetUserPreferences", error}}));
    EXPECT_EQ(host_->CallsOf("RegisterError")[0].args[1], "Initialize");
    EXPECT_EQ(host_->Ops().back(), "HandleError");
    EXPECT_EQ(std::count(events_.begin(), events_.end(), kWarning), 0);
  }
}

}  // namespace
}  // namespace tamrel
