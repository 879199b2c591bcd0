// GetApplicationConfigLocation, MakeFolder and Wait: the application folder
// below a faked application-data folder on a temporary tree, the climb of
// MakeFolder watched through the file backend, and Wait on a driven clock.
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "support/fault_injecting_backend.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using testing::FaultInjectingBackend;
using testing::FileOp;
using testing::RecordingHost;
using testing::TempDir;
namespace fs = std::filesystem;

const std::string kSep(1, kPathSeparator);

// The host object Appl reads the application title from.
class TitledApplication : public Object {
 public:
  explicit TitledApplication(std::string title) : title_(std::move(title)) {}
  std::string TypeName() const override { return "Application"; }
  Variant Get(const std::string& name, const std::vector<Variant>& indices) override {
    if (SameName(name, "title")) return Variant(title_);
    return Object::Get(name, indices);
  }

 private:
  std::string title_;
};

class ApplicationFolderTest : public ::testing::Test {
 protected:
  ApplicationFolderTest() : scope_(Hooks()) { context_->SetApplicationContext(host_); }
  ~ApplicationFolderTest() override { SetTitle("Tamrel"); }

  platform::Hooks Hooks() {
    platform::Hooks hooks = FaultInjectingBackend::Hooks(disk_);
    hooks.special_folder = [this](int32_t csidl) {
      return csidl == kCsidlAppData ? app_data_ : std::string();
    };
    return hooks;
  }
  void SetTitle(const std::string& title) {
    context_->Appl(std::make_shared<TitledApplication>(title));
  }
  // The CreateFolder calls made so far, in order.
  std::vector<std::string> FoldersCreated() const {
    std::vector<std::string> created;
    for (const auto& call : disk_->calls()) {
      if (call.op == FileOp::kCreateFolder) created.push_back(call.path);
    }
    return created;
  }

  TempDir tmp_;
  std::string app_data_ = tmp_.Path("AppData");
  std::shared_ptr<FaultInjectingBackend> disk_ = std::make_shared<FaultInjectingBackend>();
  platform::Scope scope_;
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
};

TEST_F(ApplicationFolderTest, AnExistingFolderIsReportedAndLeftAlone) {
  fs::create_directories(app_data_ + kSep + "Tamrel");
  const std::string expected = app_data_ + kSep + "Tamrel" + kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
  EXPECT_EQ(host_->LogLines(), (std::vector<std::string>{
                                   "Initialize application folder location",
                                   "Application folder location exists: " + expected}));
  EXPECT_TRUE(FoldersCreated().empty());
}

TEST_F(ApplicationFolderTest, AMissingFolderIsCreatedWithTheLevelsAboveIt) {
  app_data_ = tmp_.Path("home/.config");  // neither level exists yet
  SetTitle("Calibrator");
  const std::string expected = app_data_ + kSep + "Calibrator" + kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
  EXPECT_TRUE(fs::is_directory(expected));
  EXPECT_EQ(host_->LogLines(), (std::vector<std::string>{
                                   "Initialize application folder location",
                                   "Application folder location created: " + expected}));
}

TEST_F(ApplicationFolderTest, TheTitleNamesOneFolderWithSlashesAsDashes) {
  SetTitle("Tools/Calibrator/2");
  const std::string expected = app_data_ + kSep + "Tools-Calibrator-2" + kSep;
  fs::create_directories(app_data_);
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
  EXPECT_TRUE(fs::is_directory(expected));
  EXPECT_EQ(std::distance(fs::directory_iterator(app_data_), fs::directory_iterator()), 1);
}

TEST_F(ApplicationFolderTest, ABaseEndingInASeparatorGetsNoSecondOne) {
  fs::create_directories(app_data_);
  app_data_ += kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), app_data_ + "Tamrel" + kSep);
}

// The folder name is always followed by its own separator, even when it is
// empty: the path is base, folder name and separator, nothing merged.
TEST_F(ApplicationFolderTest, TheFolderNameIsAlwaysFollowedByASeparator) {
  fs::create_directories(app_data_);
  SetTitle("");
  const std::string expected = app_data_ + kSep + kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
  EXPECT_EQ(host_->LogLines(), (std::vector<std::string>{
                                   "Initialize application folder location",
                                   "Application folder location exists: " + expected}));
}

TEST_F(ApplicationFolderTest, WithoutAHostNothingIsLookedUp) {
  context_->SetApplicationContext(nullptr);
  EXPECT_EQ(ErrorNumberOf([&] { context_->GetApplicationConfigLocation(); }),
            errc::kObjectNotSet);
  EXPECT_FALSE(fs::exists(app_data_));
}

TEST_F(ApplicationFolderTest, AnUnknownAppDataFolderClimbsToNothingAndFails) {
  app_data_ = "";
  SetTitle("tamrel-no-such-top-level-folder");
  ASSERT_FALSE(fs::exists("/tamrel-no-such-top-level-folder"));
  EXPECT_EQ(ErrorNumberOf([&] { context_->GetApplicationConfigLocation(); }),
            errc::kInvalidArgument);
  EXPECT_FALSE(fs::exists("/tamrel-no-such-top-level-folder"));
  EXPECT_EQ(host_->LogLines().size(), 1u);
}

TEST_F(ApplicationFolderTest, MakeFolderCreatesTheMissingLevelsTopDown) {
  fs::create_directories(tmp_.Path("a"));
  FileSystemObject fso;
  const std::string path = tmp_.Path("a/b/c/d") + kSep;
  EXPECT_TRUE(context_->MakeFolder(fso, path));
  // Each level once, the deepest with the path as given.
  EXPECT_EQ(FoldersCreated(),
            (std::vector<std::string>{tmp_.Path("a/b"), tmp_.Path("a/b/c"), path}));
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_TRUE(host_->calls().empty());
}

TEST_F(ApplicationFolderTest, MakeFolderOfAnExistingFolderRaises58) {
  fs::create_directories(tmp_.Path("a/b"));
  FileSystemObject fso;
  for (const std::string& path : {tmp_.Path("a/b"), tmp_.Path("a/b") + kSep}) {
    EXPECT_EQ(ErrorNumberOf([&] { context_->MakeFolder(fso, path); }), errc::kFileAlreadyExists)
        << path;
  }
}

TEST_F(ApplicationFolderTest, MakeFolderOfATextWithoutSeparatorRaises5) {
  FileSystemObject fso;
  for (const std::string& path : std::vector<std::string>{"", "relative", "relative" + kSep}) {
    EXPECT_EQ(ErrorNumberOf([&] { context_->MakeFolder(fso, path); }), errc::kInvalidArgument)
        << path;
  }
}

TEST_F(ApplicationFolderTest, MakeFolderKeepsTheLevelsMadeBeforeAFailure) {
  fs::create_directories(tmp_.Path("a"));
  disk_->FailNthCall(FileOp::kCreateFolder, 2, errc::kPermissionDenied);
  FileSystemObject fso;
  EXPECT_EQ(ErrorNumberOf([&] { context_->MakeFolder(fso, tmp_.Path("a/b/c/d")); }),
            errc::kPermissionDenied);
  EXPECT_TRUE(fs::is_directory(tmp_.Path("a/b")));
  EXPECT_FALSE(fs::exists(tmp_.Path("a/b/c")));
}

// Wait on a clock that plays a script of readings (seconds since midnight).
class WaitTest : public ::testing::Test {
 protected:
  WaitTest() : scope_(Hooks()) {}

  platform::Hooks Hooks() {
    platform::Hooks hooks;
    hooks.seconds_since_midnight = [this] {
      ++readings_;
      if (clock_.empty()) ADD_FAILURE() << "Wait read the clock past the script";
      if (clock_.empty()) return 1e9F;  // ends any wait
      const float now = clock_.front();
      clock_.pop_front();
      return now;
    };
    hooks.pump_messages = [this] { ++pumps_; };
    return hooks;
  }
  // Waits `interval` on `clock`; every reading must be used.
  void WaitOn(float interval, std::deque<float> clock) {
    clock_ = std::move(clock);
    readings_ = pumps_ = 0;
    ContextCls().Wait(interval);
    EXPECT_TRUE(clock_.empty()) << clock_.size() << " readings left";
  }

  std::deque<float> clock_;
  int readings_ = 0;
  int pumps_ = 0;
  platform::Scope scope_;
};

TEST_F(WaitTest, EndsAtTheFirstReadingStrictlyPastTheInterval) {
  WaitOn(1.0F, {100.0F, 100.5F, 101.0F, 101.25F});
  EXPECT_EQ(readings_, 4);
  EXPECT_EQ(pumps_, 3);  // messages are processed before every later reading
}

TEST_F(WaitTest, AWaitAcrossMidnightEndsAfterTheInterval) {
  WaitOn(1.0F, {86399.5F, 86399.9F, 0.25F, 0.5F, 0.75F});
  EXPECT_EQ(pumps_, 4);
}

TEST_F(WaitTest, WaitZeroEndsAtTheFirstLaterReading) {
  WaitOn(0.0F, {5.0F, 5.0F, 5.0F, 5.125F});
  EXPECT_EQ(pumps_, 3);
}

// The clock is single precision: late in the day its readings are 1/128 s
// apart, so a wait may end up to that much early.
TEST_F(WaitTest, TheRealClockWaitsAboutTheInterval) {
  platform::Scope native(platform::NativeHooks());
  const auto start = std::chrono::steady_clock::now();
  ContextCls().Wait(0.2F);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(200) - std::chrono::microseconds(7813));
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

}  // namespace
}  // namespace tamrel
