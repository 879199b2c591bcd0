// FileSystemObject on real temporary folders, including the read-only rules
// (which hold for root too) and atomic replacement under injected faults.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>
#include <functional>
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

namespace fs = std::filesystem;
using Names = std::set<std::string>;
constexpr int32_t kDiskFull = 61;
constexpr int32_t kDeviceIoError = 57;

class FileSystemObjectTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    return tmp_.WriteFile(name, content);
  }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
  }
  // Every name in the folder, hidden ones included.
  Names InFolder() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(tmp_.path()))
      names.insert(entry.path().filename());
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

TEST_F(FileSystemObjectTest, ExistenceAndFolders) {
  const std::string file = Write("f.txt", "x"), folder = tmp_.Path("sub");
  fs::create_directory(folder);
  EXPECT_TRUE(fso_.FileExists(file) && fso_.FolderExists(folder + "/"));
  EXPECT_FALSE(fso_.FolderExists(file) || fso_.FileExists(folder) || fso_.FolderExists(""));
  EXPECT_EQ(ErrorNumberOf([&] { fso_.GetFile(folder); }), errc::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.GetFolder(file); }), errc::kPathNotFound);
  EXPECT_EQ(fso_.CreateFolder(tmp_.Path("one") + "/").Name(), "one");
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateFolder(file); }), errc::kFileAlreadyExists);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateFolder(tmp_.Path("no/two")); }), errc::kPathNotFound);
}

TEST_F(FileSystemObjectTest, ReadLineEndsAtLfOrCrLfAndKeepsALoneCr) {
  const std::string path = Write("lines.txt", "one\r\ntwo\nthree\rstill three\r\n\nlast\x01\xff");
  TextStream stream = fso_.GetFile(path).OpenAsTextStream(IOMode::ForReading);
  std::vector<std::string> lines;
  while (!stream.AtEndOfStream()) lines.push_back(stream.ReadLine());
  EXPECT_EQ(lines,
            (std::vector<std::string>{"one", "two", "three\rstill three", "", "last\x01\xff"}));
  EXPECT_EQ(ErrorNumberOf([&] { stream.ReadLine(); }), 62);
  EXPECT_EQ(ErrorNumberOf([&] { stream.Write("x"); }), 54);
  stream.Close();
  EXPECT_EQ(ErrorNumberOf([&] { stream.AtEndOfStream(); }), 54);
}

TEST_F(FileSystemObjectTest, WritingTakesEffectAtCloseAndKeepsPermissions) {
  const std::string path = Write("Setup.tmc", "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  fso_.GetFile(path).OpenAsTextStream(IOMode::ForWriting).Write("lost");
  EXPECT_EQ(Read(path), "old") << "an unclosed stream is dropped";
  for (IOMode mode : {IOMode::ForWriting, IOMode::ForAppending}) {
    TextStream stream = fso_.GetFile(path).OpenAsTextStream(mode);
    stream.WriteLine("new");
    stream.Close();
  }
  EXPECT_EQ(Read(path), "new\r\nnew\r\n");
  EXPECT_EQ(ModeOf(path), 0640u);
  // A new file gets the default permissions, not the temporary file's own.
  const std::string created = tmp_.Path("New.tmc");
  fso_.CreateTextFile(created, true, false).Close();
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(ModeOf(created), 0666u & ~mask);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateTextFile(created, false); }), errc::kFileAlreadyExists);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateTextFile(tmp_.Path("no/New.tmc")); }),
            errc::kPathNotFound);
}

TEST_F(FileSystemObjectTest, RenameStaysInTheFolderAndNeverReplaces) {
  const std::string first = Write("Setup.tmc", "first");
  const std::string second = Write("Setup(1).tmc", "second");
  fs::create_directory(tmp_.path() / "Setup(2).tmc");
  File file = fso_.GetFile(first);
  for (const char* taken : {"Setup(1).tmc", "Setup(2).tmc"}) {
    EXPECT_EQ(ErrorNumberOf([&] { file.Name(taken); }), errc::kFileAlreadyExists) << taken;
  }
  EXPECT_EQ(Read(first) + Read(second), "firstsecond");
  for (const char* bad : {"sub/x", ""}) EXPECT_EQ(ErrorNumberOf([&] { file.Name(bad); }), 52);
  file.Name("Setup.tmc_corrupt(1)");
  EXPECT_EQ(Read(tmp_.Path("Setup.tmc_corrupt(1)")), "first");
  EXPECT_FALSE(fs::exists(first));
  // The backend refuses as well, for a file that appears between the
  // layer's question and the rename.
  auto backend = platform::NativeFileBackend();
  EXPECT_EQ(ErrorNumberOf([&] { backend->Rename(file.Path(), second); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(second), "second");
  fs::remove(file.Path());
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("again"); }), errc::kFileNotFound);
}

TEST_F(FileSystemObjectTest, CopyKeepsTheNameAndTheDateAsAnOleDate) {
  const std::string backup = Write("backup/Setup.tmc", "saved");
  struct tm local {};
  ASSERT_NE(strptime("2024-03-05 14:30", "%Y-%m-%d %H:%M", &local), nullptr);
  local.tm_isdst = -1;
  const struct timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, backup.c_str(), times, 0), 0);
  File source = fso_.GetFile(backup);
  EXPECT_NEAR(source.DateLastModified(), 45356.0 + 14.5 / 24.0, 1e-9);

  const std::string target = Write("Setup.tmc", "other");
  EXPECT_EQ(ErrorNumberOf([&] { source.Copy(target, false); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(target), "other");
  source.Copy(tmp_.Path(""), true);
  EXPECT_EQ(Read(target), "saved");
  EXPECT_EQ(fso_.GetFile(target).DateLastModified(), source.DateLastModified());
  EXPECT_EQ(ErrorNumberOf([&] { source.Copy(tmp_.Path("none") + "/"); }), errc::kPathNotFound);
}

// Root may write any file; the read-only mark is the file's own mode bits,
// so these hold for root as well.
TEST_F(FileSystemObjectTest, AReadOnlyFileIsNeitherDeletedNorRewritten) {
  const std::string path = Write("Setup.tmc", "keep");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  File file = fso_.GetFile(path);
  const std::string source = Write("source.tmc", "new");
  const std::function<void()> writes[] = {
      [&] { file.Delete(false); },
      [&] { file.OpenAsTextStream(IOMode::ForWriting); },
      [&] { fso_.CreateTextFile(path, true); },
      [&] { fso_.GetFile(source).Copy(path, true); },
  };
  for (const auto& write : writes) EXPECT_EQ(ErrorNumberOf(write), errc::kPermissionDenied);
  EXPECT_EQ(Read(path), "keep");
  EXPECT_EQ(ModeOf(path), 0444u);
  EXPECT_EQ(InFolder(), (Names{"Setup.tmc", "source.tmc"}));
  // It can still be read, renamed, and deleted by force.
  EXPECT_EQ(file.OpenAsTextStream().ReadAll(), "keep");
  file.Name("Setup(1).tmc");
  file.Delete(true);
  EXPECT_FALSE(fs::exists(file.Path()));
  // A file that turns read-only while written is not replaced either.
  TextStream stream = fso_.GetFile(source).OpenAsTextStream(IOMode::ForWriting);
  stream.Write("newer");
  ASSERT_EQ(chmod(source.c_str(), 0444), 0);
  EXPECT_EQ(ErrorNumberOf([&] { stream.Close(); }), errc::kPermissionDenied);
  EXPECT_EQ(Read(source), "new");
  EXPECT_EQ(InFolder(), Names{"source.tmc"});
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
      {FileOp::kAppend, kDiskFull},  // half of the text reaches the temporary file
      {FileOp::kSync, kDeviceIoError},
      {FileOp::kClose, kDiskFull},
      {FileOp::kSetPermissions, errc::kPermissionDenied},
      {FileOp::kReplace, errc::kPermissionDenied},
      {FileOp::kAppend, kDiskFull, true},
      {FileOp::kSyncFolder, kDeviceIoError},
  };
  const std::string old_text = "<context><a id=\"b\" instance=\"1\">old</a></context>";
  const std::string path = Write("Setup.tmc", old_text);
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
