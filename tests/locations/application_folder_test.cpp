// GetApplicationConfigLocation, MakeFolder and Wait: the application folder
// below a faked application-data folder on a temporary tree, the climb of
// MakeFolder watched through the file backend, and Wait on a driven clock.
#include <deque>
#include <filesystem>

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
using testing::FileOp;
namespace fs = std::filesystem;

const std::string kSep(1, kPathSeparator);

// The host object Appl reads the application title from.
class TitledApplication : public Object {
 public:
  explicit TitledApplication(std::string title) : title_(std::move(title)) {}
  std::string TypeName() const override { return "Application"; }
  Variant Get(const std::string& name, const std::vector<Variant>& indices) override {
    return SameName(name, "title") ? Variant(title_) : Object::Get(name, indices);
  }

 private:
  std::string title_;
};

class ApplicationFolderTest : public ::testing::Test {
 protected:
  ApplicationFolderTest() : scope_(Hooks()) { context_->SetApplicationContext(host_); }
  ~ApplicationFolderTest() override { SetTitle("Tamrel"); }

  platform::Hooks Hooks() {
    platform::Hooks hooks = testing::FaultInjectingBackend::Hooks(disk_);
    hooks.special_folder = [this](int32_t csidl) {
      return csidl == kCsidlAppData ? app_data_ : std::string();
    };
    return hooks;
  }
  void SetTitle(const std::string& title) {
    context_->Appl(std::make_shared<TitledApplication>(title));
  }
  std::vector<std::string> FoldersCreated() const {
    std::vector<std::string> created;
    for (const auto& call : disk_->calls()) {
      if (call.op == FileOp::kCreateFolder) created.push_back(call.path);
    }
    return created;
  }
  std::vector<std::string> Log(const std::string& what, const std::string& folder) {
    return {"Initialize application folder location",
            "Application folder location " + what + ": " + folder};
  }

  testing::TempDir tmp_;
  std::string app_data_ = tmp_.Path("AppData");
  std::shared_ptr<testing::FaultInjectingBackend> disk_ =
      std::make_shared<testing::FaultInjectingBackend>();
  platform::Scope scope_;
  std::shared_ptr<testing::RecordingHost> host_ = testing::RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  FileSystemObject fso_;
};

TEST_F(ApplicationFolderTest, AnExistingFolderIsReportedAndLeftAlone) {
  fs::create_directories(app_data_ + kSep + "Tamrel");
  const std::string expected = app_data_ + kSep + "Tamrel" + kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
  EXPECT_EQ(host_->LogLines(), Log("exists", expected));
  EXPECT_TRUE(FoldersCreated().empty());
  // The folder name is followed by its own separator even when it is empty.
  host_->ClearCalls();
  SetTitle("");
  EXPECT_EQ(context_->GetApplicationConfigLocation(), app_data_ + kSep + kSep);
  EXPECT_EQ(host_->LogLines(), Log("exists", app_data_ + kSep + kSep));
  // A base that ends in a separator gets no second one.
  app_data_ += kSep;
  SetTitle("Tamrel");
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
}

TEST_F(ApplicationFolderTest, AMissingFolderIsCreatedWithTheLevelsAboveIt) {
  app_data_ = tmp_.Path("home/.config");  // neither level exists yet
  SetTitle("Tools/Calibrator/2");
  const std::string expected = app_data_ + kSep + "Tools-Calibrator-2" + kSep;
  EXPECT_EQ(context_->GetApplicationConfigLocation(), expected);
  EXPECT_TRUE(fs::is_directory(expected));
  EXPECT_EQ(std::distance(fs::directory_iterator(app_data_), fs::directory_iterator()), 1);
  EXPECT_EQ(host_->LogLines(), Log("created", expected));
}

TEST_F(ApplicationFolderTest, FailuresCreateNothing) {
  context_->SetApplicationContext(nullptr);
  EXPECT_EQ(ErrorNumberOf([&] { context_->GetApplicationConfigLocation(); }), errc::kObjectNotSet);
  EXPECT_FALSE(fs::exists(app_data_));
  // An unknown application-data folder climbs to the empty text and fails.
  context_->SetApplicationContext(host_);
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
  const std::string path = tmp_.Path("a/b/c/d") + kSep;
  EXPECT_TRUE(context_->MakeFolder(fso_, path));
  // Each level once, the deepest with the path as given.
  EXPECT_EQ(FoldersCreated(),
            (std::vector<std::string>{tmp_.Path("a/b"), tmp_.Path("a/b/c"), path}));
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_TRUE(host_->calls().empty());
}

TEST_F(ApplicationFolderTest, MakeFolderErrors) {
  fs::create_directories(tmp_.Path("a/b"));
  for (const std::string& path : {tmp_.Path("a/b"), tmp_.Path("a/b") + kSep}) {
    EXPECT_EQ(ErrorNumberOf([&] { context_->MakeFolder(fso_, path); }), errc::kFileAlreadyExists)
        << path;
  }
  for (const std::string& path : {std::string(), std::string("relative") + kSep}) {
    EXPECT_EQ(ErrorNumberOf([&] { context_->MakeFolder(fso_, path); }), errc::kInvalidArgument)
        << path;
  }
  // Levels made before a failure stay.
  disk_->FailNthCall(FileOp::kCreateFolder, 2, errc::kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { context_->MakeFolder(fso_, tmp_.Path("a/b/c/d/e")); }),
            errc::kPermissionDenied);
  EXPECT_TRUE(fs::is_directory(tmp_.Path("a/b/c")));
  EXPECT_FALSE(fs::exists(tmp_.Path("a/b/c/d")));
}

// Wait on a clock that plays a script of readings (seconds since midnight):
// it ends at the first reading strictly past the interval, processing
// messages before every reading after the first.
TEST(WaitTest, EndsAtTheFirstReadingPastTheInterval) {
  struct Case {
    const char* label;
    float interval;
    std::deque<float> clock;
  };
  const Case cases[] = {
      {"one second", 1.0F, {100.0F, 100.5F, 101.0F, 101.25F}},
      {"across midnight", 1.0F, {86399.5F, 86399.9F, 0.25F, 0.5F, 0.75F}},
      {"zero", 0.0F, {5.0F, 5.0F, 5.0F, 5.125F}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::deque<float> clock = c.clock;
    size_t pumps = 0;
    platform::Hooks hooks;
    hooks.seconds_since_midnight = [&] {
      if (clock.empty()) ADD_FAILURE() << "Wait read the clock past the script";
      if (clock.empty()) return 1e9F;  // ends any wait
      const float now = clock.front();
      clock.pop_front();
      return now;
    };
    hooks.pump_messages = [&] { ++pumps; };
    platform::Scope scope(hooks);
    ContextCls().Wait(c.interval);
    EXPECT_TRUE(clock.empty()) << clock.size() << " readings left";
    EXPECT_EQ(pumps, c.clock.size() - 1);
  }
}

}  // namespace
}  // namespace tamrel
