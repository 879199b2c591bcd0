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
  ~ConfigFolderTest() override {
    context_->Appl(std::make_shared<TitledApplication>(Variant("Tamrel")));
  }

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

  platform::Hooks FakeHooks() {
    platform::Hooks hooks = platform::NativeHooks();
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
  platform::Scope scope_;
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_;
};

// The preference file is loaded from the first writeable folder when
// present: the application's own, else one the user chooses (the variable
// that receives the choice; one that ends in a separator, a drive root, is
// used as given), else the library's when the user cancels. On a first run
// every missing level is made and nothing loaded; a failure ends the call
// through the convention.
TEST_F(ConfigFolderTest, UserPreferencesUseTheFirstWriteableFolder) {
  const std::string locked = Folder("locked"), chosen = Folder("chosen") + kSep;
  const std::string library = GetLongPath(library_), fresh = tmp_.Path("fresh") + kSep + "config";
  const std::string made = fresh + kSep + "Velmora-Plant";
  const std::string exists = "Application folder location exists: " + plant_;
  const std::string refused = "The folder selected is not writeable: " + plant_;
  const std::string ok = "writeable? ";
  struct Case {
    std::string app_data;  // "": the fixture's
    bool loads;
    std::deque<std::optional<std::string>> choices;  // nullopt: cancel
    std::string folder;                              // of the save location; "" for none
    Lines details, events;
    Reports errors;
  };
  // clang-format off
  const Case cases[] = {
      {"", true, {}, plant_, {exists}, {ok + plant_}, {}},
      {"", true, {locked, chosen}, chosen,
       {exists, refused, kAsk, "Folder Selected: " + locked, kAsk, "Folder Selected: " + chosen},
       {ok + plant_, kChooser + plant_, ok + locked, kWarning, kChooser + locked, ok + chosen}, {}},
      {"", false, {std::nullopt}, library,
       {exists, refused, kAsk, "Folder Selection Cancelled: " + library},
       {ok + plant_, kChooser + plant_, ok + library}, {}},
      {fresh, false, {}, made, {"Application folder location created: " + made}, {}, {}},
      {tmp_.WriteFile("file", ""), false, {}, "", {}, {},
       {{"Tamrel/ContextCls/GetUserPreferences", errc::kFileAlreadyExists}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.app_data + c.folder + (c.loads ? " with a preference file" : ""));
    if (!c.folder.empty()) fs::remove(FileIn(c.folder));
    if (c.loads) std::ofstream(FileIn(c.folder), std::ios::binary) << kPreferences;
    Reset();
    app_data_ = c.app_data.empty() ? tmp_.Path("appdata") : c.app_data;
    writeable_ = {c.folder};
    choices_ = c.choices;
    EXPECT_FALSE(context_->GetUserPreferences("Velmora/Plant"));
    EXPECT_EQ(context_->SaveLocation(), c.folder.empty() ? "" : FileIn(c.folder));
    const bool any = context_->Count("Colours", "Back") > 0;
    EXPECT_EQ(any ? CStr(context_->Item("Colours", "Back", 1)) : "", c.loads ? "Teal" : "");
    EXPECT_EQ(host_->DetailLines(), c.details);
    EXPECT_EQ(events_, c.events);
    EXPECT_EQ(host_->Errors(), c.errors);
  }
}

}  // namespace
}  // namespace tamrel::testing
