// Configuration folders under a faked application-data folder.
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include <gtest/gtest.h>

#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Reports = std::vector<std::pair<std::string, int32_t>>;

const std::string kSep(1, kPathSeparator);
const std::string kChooser =
    "chooser: Select folder for Velmora/Plant user configuration files (*.tmc) <- ";
const std::string kAsk = "Select folder for Velmora/Plant user configuration file (*.tmc)";
const std::string kWarning =
    "box: The folder you have selected is not writeable. Please select another.|0|"
    "Configuration File Location";
const std::string kPreferences =
    "<context><Colours id=\"Back\" instance=\"1\">Teal</Colours>\r\n</context>";

class ConfigFolderTest : public ::testing::Test {
 protected:
  ConfigFolderTest() : scope_(FakeHooks()) { Reset(); }
  ~ConfigFolderTest() override { SetTitle("Tamrel"); }

  // A fresh context, host record and event list, as for a new call.
  void Reset() {
    context_ = std::make_shared<ContextCls>();
    context_->SetApplicationContext(host_);
    host_->ClearCalls();
    events_.clear();
  }
  void SetTitle(const std::string& title) {
    context_->Appl(std::make_shared<TitledApplication>(Variant(title)));
  }
  std::string Folder(const std::string& relative) {
    fs::create_directories(tmp_.path() / relative);
    return tmp_.Path(relative);
  }
  static std::string FileIn(const std::string& folder) {
    return folder + kSep + "UserPreferences.tmc";
  }

  platform::Hooks FakeHooks() {
    platform::Hooks hooks = FaultInjectingBackend::Hooks(disk_);
    hooks.special_folder = [this](int32_t csidl) {
      return csidl == kCsidlAppData ? app_data_ : std::string();
    };
    hooks.library_folder = [this] { return library_; };
    hooks.is_folder_writeable = [this](const std::string& folder, bool) {
      events_.push_back("writeable? " + folder);
      return writeable_.count(folder) > 0;
    };
    hooks.browse_for_folder = [this](int32_t, const std::string& title, std::string& folder) {
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

  TempDir tmp_;
  std::string app_data_ = Folder("appdata");
  std::string plant_ = Folder("appdata/Velmora-Plant");
  std::string library_ = Folder("lib");
  std::set<std::string> writeable_;
  std::deque<std::optional<std::string>> choices_;  // nullopt: cancel
  Lines events_;
  std::shared_ptr<FaultInjectingBackend> disk_ = std::make_shared<FaultInjectingBackend>();
  platform::Scope scope_;
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_;
};

TEST_F(ConfigFolderTest, ApplicationFolderIsReportedOrCreatedWithTheLevelsAboveIt) {
  const std::string init = "Initialize application folder location";
  SetTitle("Velmora/Plant");
  EXPECT_EQ(context_->GetApplicationConfigLocation(), plant_ + kSep);
  const std::string exists = "Application folder location exists: " + plant_ + kSep;
  EXPECT_EQ(host_->LogLines(), (Lines{init, exists}));
  Reset();
  app_data_ = tmp_.Path("home") + kSep + ".config";
  SetTitle("Tools/Calibrator/2");
  const std::string made = app_data_ + kSep + "Tools-Calibrator-2" + kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), made);
  EXPECT_TRUE(fs::is_directory(made));
  EXPECT_EQ(host_->LogLines(), (Lines{init, "Application folder location created: " + made}));
}

TEST_F(ConfigFolderTest, UserPreferencesFirstRunCreatesTheFolderAndOnlySetsTheSaveLocation) {
  // The application-data folder is missing too: every level is made.
  app_data_ = tmp_.Path("fresh") + kSep + "config";
  const std::string folder = app_data_ + kSep + "Velmora-Plant";
  EXPECT_FALSE(context_->GetUserPreferences("Velmora/Plant"));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(context_->SaveLocation(), FileIn(folder));
  EXPECT_EQ(host_->Ops(), Lines{"WriteDetail"}) << "nothing is loaded on a first run";
  EXPECT_EQ(host_->DetailLines(), Lines{"Application folder location created: " + folder});
}

// The chosen folder is writeable; the preference file is loaded from it when
// present. The preference folder is the variable that receives the choice; a
// choice that ends in a separator (a drive root) is used as given.
TEST_F(ConfigFolderTest, UserPreferencesUseTheFirstWriteableFolder) {
  const std::string locked = Folder("locked"), chosen = Folder("chosen") + kSep;
  const std::string library = GetLongPath(library_);
  const std::string exists = "Application folder location exists: " + plant_;
  const std::string refused = "The folder selected is not writeable: " + plant_;
  const std::string cancelled = "Folder Selection Cancelled: " + library;
  const std::string ok = "writeable? ";
  struct Case {
    bool loads;
    std::deque<std::optional<std::string>> choices;  // nullopt: cancel
    std::string folder;
    Lines details, events;
  };
  // clang-format off
  const Case cases[] = {
      {true, {}, plant_, {exists}, {ok + plant_}},
      {true, {locked, chosen}, chosen,
       {exists, refused, kAsk, "Folder Selected: " + locked, kAsk, "Folder Selected: " + chosen},
       {ok + plant_, kChooser + plant_, ok + locked, kWarning, kChooser + locked, ok + chosen}},
      {false, {std::nullopt}, library, {exists, refused, kAsk, cancelled},
       {ok + plant_, kChooser + plant_, ok + library}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + (c.loads ? " with a preference file" : ""));
    fs::remove(FileIn(c.folder));
    if (c.loads) std::ofstream(FileIn(c.folder), std::ios::binary) << kPreferences;
    Reset();
    writeable_ = {c.folder};
    choices_ = c.choices;
    EXPECT_FALSE(context_->GetUserPreferences("Velmora/Plant"));
    EXPECT_EQ(context_->SaveLocation(), FileIn(c.folder));
    const bool any = context_->Count("Colours", "Back") > 0;
    EXPECT_EQ(any ? CStr(context_->Item("Colours", "Back", 1)) : "", c.loads ? "Teal" : "");
    EXPECT_EQ(host_->DetailLines(), c.details);
    EXPECT_EQ(events_, c.events);
    EXPECT_TRUE(host_->Errors().empty());
  }
}

TEST_F(ConfigFolderTest, UserPreferencesFailureEndsTheCallThroughTheConvention) {
  app_data_ = tmp_.WriteFile("file", "");  // a file where the folder must be made
  EXPECT_FALSE(context_->GetUserPreferences("Velmora/Plant"));
  EXPECT_EQ(context_->SaveLocation(), "");
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/GetUserPreferences", errc::kFileAlreadyExists}}));
  EXPECT_EQ(host_->Ops().back(), "HandleError");
}

}  // namespace
}  // namespace tamrel::testing
