// FileSystemObject on real temporary folders, including the read-only rules
// (which hold for root too) and atomic replacement under injected faults.
#include <filesystem>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "support/native_file.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

class FileSystemObjectTest : public ::testing::Test {
 protected:
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  // Every name in the folder, hidden ones included.
  Names InFolder() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(tmp_.path()))
      names.insert(entry.path().filename().string());
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
  FileSystemObject fso_;
  std::shared_ptr<FaultInjectingBackend> disk_ = std::make_shared<FaultInjectingBackend>();
};

TEST_F(FileSystemObjectTest, WritingTakesEffectAtCloseAndKeepsPermissions) {
  const std::string path = tmp_.WriteFile("Setup.tmc", "old");
  GiveKeptMark(path);
  fso_.GetFile(path).OpenAsTextStream(IOMode::ForWriting).Write("lost");
  EXPECT_EQ(Read(path), "old") << "an unclosed stream is dropped";
  for (IOMode mode : {IOMode::ForWriting, IOMode::ForAppending}) {
    TextStream stream = fso_.GetFile(path).OpenAsTextStream(mode);
    stream.WriteLine("new");
    stream.Close();
  }
  EXPECT_EQ(Read(path), "new\r\nnew\r\n");
  EXPECT_TRUE(HasKeptMark(path));
}

// A file system whose rename replaces an existing target, as some do.
class ReplacingRenames : public FaultInjectingBackend {
 public:
  void Rename(Path from, Path to) override { Replace(from, to); }
};

TEST_F(FileSystemObjectTest, RenameStaysInTheFolderAndNeverReplaces) {
  const std::string first = tmp_.WriteFile("Setup.tmc", "first");
  const std::string second = tmp_.WriteFile("Setup(1).tmc", "second");
  File file = fso_.GetFile(first);
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("Setup(1).tmc"); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(first) + Read(second), "firstsecond");
  {
    platform::Scope scope(FaultInjectingBackend::Hooks(std::make_shared<ReplacingRenames>()));
    File on_replacing = FileSystemObject().GetFile(first);
    EXPECT_EQ(ErrorNumberOf([&] { on_replacing.Name("Setup(1).tmc"); }), errc::kFileAlreadyExists);
    EXPECT_EQ(Read(first) + Read(second), "firstsecond");
  }
  file.Name("Setup.tmc_corrupt(1)");
  EXPECT_EQ(Read(tmp_.Path("Setup.tmc_corrupt(1)")), "first");
  EXPECT_FALSE(fs::exists(first));
}

TEST_F(FileSystemObjectTest, CopyKeepsTheNameAndTheDateAsAnOleDate) {
  const std::string backup = tmp_.WriteFile("backup/Setup.tmc", "saved");
  SetLocalModified(backup, 2024, 3, 5, 14, 30);
  File source = fso_.GetFile(backup);
  EXPECT_NEAR(source.DateLastModified(), 45356.0 + 14.5 / 24.0, 1e-9);

  const std::string target = tmp_.WriteFile("Setup.tmc", "other");
  EXPECT_EQ(ErrorNumberOf([&] { source.Copy(target, false); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(target), "other");
  source.Copy(tmp_.Path(""), true);
  EXPECT_EQ(Read(target), "saved");
  EXPECT_EQ(fso_.GetFile(target).DateLastModified(), source.DateLastModified());
}

// Root may write any file; the read-only mark is the file's own mode bits
// (the attribute on Windows), so these hold for root as well.
TEST_F(FileSystemObjectTest, AReadOnlyFileIsNeitherDeletedNorRewritten) {
  const std::string path = tmp_.WriteFile("Setup.tmc", "keep");
  MakeReadOnly(path);
  File file = fso_.GetFile(path);
  const std::string source = tmp_.WriteFile("source.tmc", "new");
  const std::function<void()> writes[] = {
      [&] { file.Delete(false); },
      [&] { file.OpenAsTextStream(IOMode::ForWriting); },
      [&] { fso_.GetFile(source).Copy(path, true); },
  };
  for (const auto& write : writes) EXPECT_EQ(ErrorNumberOf(write), errc::kPermissionDenied);
  EXPECT_EQ(Read(path), "keep");
  EXPECT_EQ(InFolder(), (Names{"Setup.tmc", "source.tmc"}));
  file.Delete(true);  // by force
  EXPECT_FALSE(fs::exists(path));
}

// The new content is on disk before it takes the name: a failure at any step
// up to the replacement leaves the old content; a failed flush of the folder
// after it is still reported.
TEST_F(FileSystemObjectTest, AFailureAtAnyStepLeavesTheOldContent) {
  struct Case {
    FileOp op;
    int32_t number;
    bool copy = false;
  };
  const Case cases[] = {
      {FileOp::kCreateTempFile, errc::kPermissionDenied},
      {FileOp::kAppend, errc::kDiskFull},  // half of the text reaches the temporary file
      {FileOp::kSync, errc::kDeviceIoError},
      {FileOp::kClose, errc::kDiskFull},
      {FileOp::kReplace, errc::kPermissionDenied},
      {FileOp::kAppend, errc::kDiskFull, true},
      {FileOp::kSyncFolder, errc::kDeviceIoError},
  };
  const std::string old_text = "<context><a id=\"b\" instance=\"1\">old</a></context>";
  const std::string path = tmp_.WriteFile("Setup.tmc", old_text);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "operation " << static_cast<int>(c.op) << " " << c.copy);
    disk_->FailTimes(c.op, 1, c.number);
    EXPECT_EQ(ErrorNumberOf([&] { Rewrite(path, "new", c.copy); }), c.number);
    EXPECT_EQ(Read(path), c.op == FileOp::kSyncFolder ? "new" : old_text);
    EXPECT_EQ(InFolder(), Names{"Setup.tmc"});
  }
}

}  // namespace
}  // namespace tamrel::testing
