// FileSystemObject on real temporary folders: path texts, existence, folder
// creation, reading and writing text, rename, copy and delete, and the
// read-only rules, which must hold when the tests run as root.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

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

class FileSystemObjectTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    return tmp_.WriteFile(name, content);
  }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  static void MakeReadOnly(const std::string& path) { ASSERT_EQ(chmod(path.c_str(), 0444), 0); }
  static void SetModified(const std::string& path, time_t when) {
    struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
  }
  // Every name in the folder, hidden ones included.
  std::set<std::string> Names() const {
    std::set<std::string> names;
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

TEST(FilePathTextTest, ParentAndNameIgnoreOneTrailingSeparator) {
  struct Case {
    std::string path, parent, name;
  };
  const std::vector<Case> cases = {
      {"/a/b/c.tmc", "/a/b", "c.tmc"}, {"/a/b/", "/a", "b"}, {"/a", "/", "a"},
      {"c.tmc", "", "c.tmc"},          {"/", "", ""},         {"", "", ""},
      {"a/b", "a", "b"},
  };
  FileSystemObject fso;
  for (const Case& c : cases) {
    EXPECT_EQ(fso.GetParentFolderName(c.path), c.parent) << c.path;
    EXPECT_EQ(fso.GetFileName(c.path), c.name) << c.path;
  }
}

TEST_F(FileSystemObjectTest, ExistenceTellsFilesFromFolders) {
  const std::string file = Write("f.txt", "x");
  const std::string folder = tmp_.Path("sub");
  fs::create_directory(folder);
  EXPECT_TRUE(fso_.FileExists(file));
  EXPECT_FALSE(fso_.FolderExists(file));
  EXPECT_TRUE(fso_.FolderExists(folder));
  EXPECT_TRUE(fso_.FolderExists(folder + "/"));
  EXPECT_FALSE(fso_.FileExists(folder));
  EXPECT_FALSE(fso_.FileExists(tmp_.Path("missing")));
  EXPECT_FALSE(fso_.FolderExists(""));

  EXPECT_EQ(ErrorNumberOf([&] { fso_.GetFile(folder); }), errc::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.GetFile(tmp_.Path("missing")); }), errc::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.GetFolder(file); }), errc::kPathNotFound);
}

TEST_F(FileSystemObjectTest, CreateFolderMakesOneLevel) {
  EXPECT_EQ(fso_.CreateFolder(tmp_.Path("one") + "/").Name(), "one");
  EXPECT_TRUE(fs::is_directory(tmp_.path() / "one"));
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateFolder(tmp_.Path("one")); }),
            errc::kFileAlreadyExists);
  const std::string file = Write("f.txt", "x");
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateFolder(file); }), errc::kFileAlreadyExists);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateFolder(tmp_.Path("no/two")); }), errc::kPathNotFound);
}

TEST_F(FileSystemObjectTest, FilesListsOnlyTheFilesOfTheFolder) {
  Write("a.tmc", "");
  Write("b.tmc", "");
  Write("sub/c.tmc", "");
  std::set<std::string> names;
  for (const File& file : fso_.GetFolder(tmp_.path().string()).Files()) {
    names.insert(file.Name());
    EXPECT_EQ(file.Path(), tmp_.Path(file.Name()));
  }
  EXPECT_EQ(names, (std::set<std::string>{"a.tmc", "b.tmc"}));
}

TEST_F(FileSystemObjectTest, ReadLineEndsAtLfOrCrLfAndKeepsALoneCr) {
  const std::string path = Write("lines.txt", "one\r\ntwo\nthree\rstill three\r\n\nlast");
  TextStream stream = fso_.GetFile(path).OpenAsTextStream(IOMode::ForReading);
  std::vector<std::string> lines;
  while (!stream.AtEndOfStream()) lines.push_back(stream.ReadLine());
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three\rstill three", "", "last"}));
  EXPECT_EQ(ErrorNumberOf([&] { stream.ReadLine(); }), 62);
  EXPECT_EQ(stream.ReadAll(), "");
  stream.Close();
  EXPECT_EQ(ErrorNumberOf([&] { stream.AtEndOfStream(); }), 54);
}

TEST_F(FileSystemObjectTest, ReadAllGivesTheRestUnchanged) {
  const std::string path = Write("all.txt", "head\r\nbody\r\n\x01\xff");
  TextStream stream = fso_.GetFile(path).OpenAsTextStream();
  EXPECT_EQ(stream.ReadLine(), "head");
  EXPECT_EQ(stream.ReadAll(), "body\r\n\x01\xff");
  EXPECT_TRUE(stream.AtEndOfStream());
  EXPECT_EQ(ErrorNumberOf([&] { stream.Write("x"); }), 54);
}

TEST_F(FileSystemObjectTest, WritingReplacesTheContentAndLeavesNoTemporaryFile) {
  const std::string path = Write("Setup.tmc", "old content that is longer");
  WriteText(path, "new");
  EXPECT_EQ(Read(path), "new");
  EXPECT_EQ(Names(), (std::set<std::string>{"Setup.tmc"}));
}

TEST_F(FileSystemObjectTest, AppendingKeepsTheOldContentInFront) {
  const std::string path = Write("log.txt", "one\r\n");
  TextStream stream = fso_.GetFile(path).OpenAsTextStream(IOMode::ForAppending);
  stream.WriteLine("two");
  stream.Close();
  EXPECT_EQ(Read(path), "one\r\ntwo\r\n");
}

TEST_F(FileSystemObjectTest, NothingChangesBeforeCloseAndAnUnclosedStreamIsDropped) {
  const std::string path = Write("Setup.tmc", "old");
  {
    TextStream stream = fso_.GetFile(path).OpenAsTextStream(IOMode::ForWriting);
    stream.Write("new");
    EXPECT_EQ(Read(path), "old");
  }
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(Names(), (std::set<std::string>{"Setup.tmc"}));
}

TEST_F(FileSystemObjectTest, AReplacedFileKeepsItsPermissions) {
  const std::string path = Write("Setup.tmc", "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  WriteText(path, "new");
  EXPECT_EQ(ModeOf(path), 0640u);
  ASSERT_EQ(chmod(path.c_str(), 0604), 0);
  fso_.CreateTextFile(path, true).Close();
  EXPECT_EQ(ModeOf(path), 0604u);
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
  EXPECT_EQ(Read(path), "<context></context>");
}

TEST_F(FileSystemObjectTest, RenameOntoAnExistingNameFailsAndReplacesNothing) {
  const std::string first = Write("Setup.tmc", "first");
  const std::string second = Write("Setup(1).tmc", "second");
  fs::create_directory(tmp_.path() / "Setup(2).tmc");
  File file = fso_.GetFile(first);
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("Setup(1).tmc"); }), errc::kFileAlreadyExists);
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("Setup(2).tmc"); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(first), "first");
  EXPECT_EQ(Read(second), "second");
  EXPECT_EQ(file.Path(), first);
}

// The layer asks first; the backend must refuse as well, for a file that
// appears between the question and the rename.
TEST_F(FileSystemObjectTest, TheNativeRenameNeverReplaces) {
  const std::string first = Write("a.tmc", "first");
  const std::string second = Write("b.tmc", "second");
  auto backend = platform::NativeFileBackend();
  EXPECT_EQ(ErrorNumberOf([&] { backend->Rename(first, second); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(first), "first");
  EXPECT_EQ(Read(second), "second");
  EXPECT_EQ(ErrorNumberOf([&] { backend->Rename(tmp_.Path("none"), tmp_.Path("c")); }),
            errc::kFileNotFound);
  backend->Rename(first, tmp_.Path("c.tmc"));
  EXPECT_EQ(Read(tmp_.Path("c.tmc")), "first");
}

TEST_F(FileSystemObjectTest, RenameStaysInTheFolderAndFollowsTheFile) {
  const std::string path = Write("Setup.tmc", "content");
  File file = fso_.GetFile(path);
  file.Name("Setup.tmc_corrupt(1)");
  EXPECT_EQ(file.Name(), "Setup.tmc_corrupt(1)");
  EXPECT_EQ(Read(tmp_.Path("Setup.tmc_corrupt(1)")), "content");
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("sub/x"); }), 52);
  EXPECT_EQ(ErrorNumberOf([&] { file.Name(""); }), 52);
  fs::remove(tmp_.Path("Setup.tmc_corrupt(1)"));
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("again"); }), errc::kFileNotFound);
}

TEST_F(FileSystemObjectTest, DateLastModifiedIsTheLocalTimeAsAnOleDate) {
  const std::string path = Write("dated.tmc", "x");
  struct tm local {};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 14;
  local.tm_min = 30;
  local.tm_isdst = -1;
  SetModified(path, mktime(&local));
  EXPECT_NEAR(fso_.GetFile(path).DateLastModified(), 45356.0 + 14.5 / 24.0, 1e-9);
}

TEST_F(FileSystemObjectTest, CopyIntoAFolderKeepsTheNameAndTheDate) {
  const std::string backup = Write("backup/Setup.tmc", "saved");
  fs::create_directory(tmp_.path() / "main");
  const std::string target = tmp_.Path("main/Setup.tmc");
  Write("main/Setup.tmc_corrupt(1)", "damaged");
  File source = fso_.GetFile(backup);
  SetModified(backup, 1'600'000'000);

  source.Copy(tmp_.Path("main") + "/", true);
  EXPECT_EQ(Read(target), "saved");
  EXPECT_EQ(fso_.GetFile(target).DateLastModified(), source.DateLastModified());

  Write("main/Setup.tmc", "other");
  EXPECT_EQ(ErrorNumberOf([&] { source.Copy(target, false); }), errc::kFileAlreadyExists);
  EXPECT_EQ(Read(target), "other");
  source.Copy(target, true);
  EXPECT_EQ(Read(target), "saved");
  EXPECT_EQ(ErrorNumberOf([&] { source.Copy(tmp_.Path("none") + "/"); }), errc::kPathNotFound);
}

TEST_F(FileSystemObjectTest, DeleteRemovesTheFile) {
  const std::string path = Write("old(1).tmc", "x");
  File file = fso_.GetFile(path);
  file.Delete(false);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(ErrorNumberOf([&] { file.Delete(false); }), errc::kFileNotFound);
}

// Root may write any file; the read-only mark is the file's own mode bits,
// so these hold for root as well.
TEST_F(FileSystemObjectTest, AReadOnlyFileIsNeitherDeletedNorRewritten) {
  const std::string path = Write("Setup.tmc", "keep");
  MakeReadOnly(path);
  File file = fso_.GetFile(path);
  const std::string source = Write("source.tmc", "new");

  EXPECT_EQ(ErrorNumberOf([&] { file.Delete(false); }), errc::kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { file.OpenAsTextStream(IOMode::ForWriting); }),
            errc::kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { file.OpenAsTextStream(IOMode::ForAppending); }),
            errc::kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.CreateTextFile(path, true); }), errc::kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.GetFile(source).Copy(path, true); }),
            errc::kPermissionDenied);
  EXPECT_EQ(Read(path), "keep");
  EXPECT_EQ(ModeOf(path), 0444u);
  EXPECT_EQ(Names(), (std::set<std::string>{"Setup.tmc", "source.tmc"}));

  // It can still be read, renamed, and deleted by force.
  TextStream stream = file.OpenAsTextStream();
  EXPECT_EQ(stream.ReadAll(), "keep");
  file.Name("Setup(1).tmc");
  file.Delete(true);
  EXPECT_FALSE(fs::exists(file.Path()));
}

TEST_F(FileSystemObjectTest, AFileThatTurnsReadOnlyWhileWrittenIsNotReplaced) {
  const std::string path = Write("Setup.tmc", "keep");
  TextStream stream = fso_.GetFile(path).OpenAsTextStream(IOMode::ForWriting);
  stream.Write("new");
  MakeReadOnly(path);
  EXPECT_EQ(ErrorNumberOf([&] { stream.Close(); }), errc::kPermissionDenied);
  EXPECT_EQ(Read(path), "keep");
  EXPECT_EQ(Names(), (std::set<std::string>{"Setup.tmc"}));
}

TEST_F(FileSystemObjectTest, ByNameAnswersTheFolderOperations) {
  const std::string folder = tmp_.Path("made");
  std::vector<Variant> args{Variant(folder)};
  fso_.Call("CreateFolder", args);
  EXPECT_TRUE(CBool(fso_.Call("folderexists", std::vector<Variant>{Variant(folder)})));
  EXPECT_EQ(CStr(fso_.Call("GetFileName", std::vector<Variant>{Variant(folder)})), "made");
  EXPECT_EQ(ErrorNumberOf([&] { fso_.Call("FolderExists", std::vector<Variant>{}); }),
            errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { fso_.Call("DeleteFolder", std::vector<Variant>{}); }),
            errc::kNoSuchMember);
}

}  // namespace
}  // namespace tamrel
