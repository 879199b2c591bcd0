// Atomic replacement under injected faults: whatever step of a write or copy
// fails, the file keeps its old content and no temporary file stays behind.
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "support/fault_injecting_backend.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

constexpr int32_t kDiskFull = 61;
constexpr int32_t kDeviceIoError = 57;

class AtomicWriteTest : public ::testing::Test {
 protected:
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tmp_.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  // Rewrites `path` through a FileSystemObject made under the fault hooks, as
  // the library's own code makes it; or copies a backup over it.
  void Rewrite(const std::string& path, const std::string& text, bool copy = false) {
    platform::Scope scope(FaultInjectingBackend::Hooks(disk_));
    FileSystemObject fso;
    if (copy) return fso.GetFile(elsewhere_.WriteFile("Setup.tmc", text)).Copy(path, true);
    TextStream stream = fso.GetFile(path).OpenAsTextStream(IOMode::ForWriting);
    stream.Write(text);
    stream.Close();
  }

  TempDir tmp_, elsewhere_;
  std::shared_ptr<FaultInjectingBackend> disk_ = std::make_shared<FaultInjectingBackend>();
};

TEST_F(AtomicWriteTest, AFailureAtAnyStepLeavesTheOldContent) {
  struct Case {
    FileOp op;
    int32_t number;
    bool copy = false;
  };
  const Case cases[] = {
      {FileOp::kCreateTempFile, errc::kPermissionDenied},
      {FileOp::kAppend, kDiskFull},  // half of the text reaches the temporary file
      {FileOp::kSync, kDeviceIoError},
      {FileOp::kClose, kDiskFull},
      {FileOp::kSetPermissions, errc::kPermissionDenied},
      {FileOp::kReplace, errc::kPermissionDenied},
      {FileOp::kAppend, kDiskFull, true},
  };
  const std::string old_text = "<context><a id=\"b\" instance=\"1\">old</a></context>";
  const std::string path = tmp_.WriteFile("Setup.tmc", old_text);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(FileOpName(c.op)) + (c.copy ? " in a copy" : ""));
    disk_->FailNthCall(c.op, 1, c.number);
    EXPECT_EQ(ErrorNumberOf([&] { Rewrite(path, std::string(4096, 'n'), c.copy); }), c.number);
    EXPECT_EQ(TempDir::ReadFile(path), old_text);
    EXPECT_EQ(Names(), (std::set<std::string>{"Setup.tmc"}));
  }
}

TEST_F(AtomicWriteTest, TheNewContentIsOnDiskBeforeItTakesTheName) {
  const std::string path = tmp_.WriteFile("Setup.tmc", "old");
  Rewrite(path, "new");
  EXPECT_EQ(TempDir::ReadFile(path), "new");
  EXPECT_EQ(
      disk_->Operations(),
      (std::vector<FileOp>{FileOp::kCreateTempFile, FileOp::kAppend, FileOp::kSync, FileOp::kClose,
                           FileOp::kSetPermissions, FileOp::kReplace, FileOp::kSyncFolder}));
  // A failing folder flush is reported after the replacement.
  disk_->FailNthCall(FileOp::kSyncFolder, 1, kDeviceIoError);
  EXPECT_EQ(ErrorNumberOf([&] { Rewrite(path, "newer"); }), kDeviceIoError);
  EXPECT_EQ(TempDir::ReadFile(path), "newer");
  EXPECT_EQ(Names(), (std::set<std::string>{"Setup.tmc"}));
}

}  // namespace
}  // namespace tamrel::testing
