// FileSystemObject on real temporary folders: path texts, existence, folder
// creation, reading and writing text, rename, copy and delete, and the
// read-only rules, which must hold when the tests run as root.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using testing::TempDir;
namespace fs = std::filesystem;
using Names = std::set<std::string>;

class FileSystemObjectTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    return tmp_.WriteFile(name, content);
  }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  static void SetModified(const std::string& path, time_t when) {
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
  }
  // Every name in the folder, hidden ones included.
  Names InFolder() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(tmp_.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  void WriteText(const std::string& path, const std::string& text) {
    TextStream stream = fso_.GetFile(path).OpenAsTextStream(IOMode::ForWriting);
    stream.Write(text);
    stream.Close();
  }

  TempDir tmp_;
  FileSystemObject fso_;
};

TEST_F(FileSystemObjectTest, PathTextsIgnoreOneTrailingSeparator) {
  struct Case {
    std::string path, parent, name;
  };
  const Case cases[] = {
      {"/a/b/", "/a", "b"}, {"/a", "/", "a"}, {"c.tmc", "", "c.tmc"}, {"/", "", ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(fso_.GetParentFolderName(c.path), c.parent) << c.path;
    EXPECT_EQ(fso_.GetFileName(c.path), c.name) << c.path;
  }
  const std::string file = Write("f.txt", "x");
  const std::string folder = tmp_.Path("sub");
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
  EXPECT_EQ(stream.ReadLine(), "one");
  EXPECT_EQ(stream.ReadAll(), "two\nthree\rstill three\r\n\nlast\x01\xff");
  stream = fso_.GetFile(path).OpenAsTextStream();
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
  const std::string path = Write("Setup.tmc", "old content that is longer");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  {
    TextStream dropped = fso_.GetFile(path).OpenAsTextStream(IOMode::ForWriting);
    dropped.Write("lost");
    EXPECT_EQ(Read(path), "old content that is longer");
  }
  EXPECT_EQ(Read(path), "old content that is longer") << "an unclosed stream is dropped";
  WriteText(path, "new");
  EXPECT_EQ(Read(path), "new");
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(InFolder(), Names{"Setup.tmc"});

  TextStream append = fso_.GetFile(path).OpenAsTextStream(IOMode::ForAppending);
  append.WriteLine("two");
  append.Close();
  EXPECT_EQ(Read(path), "newtwo\r\n");
  EXPECT_EQ(ModeOf(path), 0640u);
}

TEST_F(FileSystemObjectTest, CreateTextFileMakesOrRefuses) {
  const std::string path = tmp_.Path("New.tmc");
  TextStream stream = fso_.CreateTextFile(path, true, false);
  stream.Write("<context></context>");
  stream.Close();
  EXPECT_EQ(Read(path), "<context></context>");
  // A new file gets the default permissions, not the temporary file's own.
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(ModeOf(path), 0666u & ~mask);

  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateTextFile(path, false); }), errc::kFileAlreadyExists);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateTextFile(tmp_.Path("no/New.tmc")); }),
            errc::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateTextFile(tmp_.Path("u.tmc"), true, true); }),
            errc::kInvalidArgument);
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
  EXPECT_EQ(file.Path(), tmp_.Path("Setup.tmc_corrupt(1)"));
  EXPECT_EQ(Read(file.Path()), "first");
  EXPECT_FALSE(fs::exists(first));

  // The layer asks first; the backend must refuse as well, for a file that
  // appears between the question and the rename.
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
  SetModified(backup, mktime(&local));
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
      [&] { file.OpenAsTextStream(IOMode::ForAppending); },
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
  EXPECT_EQ(ErrorNumberOf([&] { file.Delete(false); }), errc::kFileNotFound);

  // A file that turns read-only while written is not replaced either.
  TextStream stream = fso_.GetFile(source).OpenAsTextStream(IOMode::ForWriting);
  stream.Write("newer");
  ASSERT_EQ(chmod(source.c_str(), 0444), 0);
  EXPECT_EQ(ErrorNumberOf([&] { stream.Close(); }), errc::kPermissionDenied);
  EXPECT_EQ(Read(source), "new");
  EXPECT_EQ(InFolder(), Names{"source.tmc"});
}

}  // namespace
}  // namespace tamrel
