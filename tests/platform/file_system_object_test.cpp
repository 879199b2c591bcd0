// FileSystemObject where the conformance story (tests/testing) cannot take
// it: a backend whose rename replaces, and dates as the platform's own
// clock gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "support/native_file.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

// A file system whose rename replaces an existing target, as some do.
class ReplacingRenames : public FileBackendWrapper {
 public:
  void Rename(Path from, Path to) override { Replace(from, to); }
};

TEST(FileSystemObjectTest, ARenameNeverReplacesEvenWhereTheFileSystemWould) {
  TempDir tmp;
  const std::string first = tmp.WriteFile("Setup.tmc", "first");
  const std::string second = tmp.WriteFile("Setup(1).tmc", "second");
  File file = FileSystemObject(std::make_shared<ReplacingRenames>()).GetFile(first);
  EXPECT_EQ(ErrorNumberOf([&] { file.Name("Setup(1).tmc"); }), errc::kFileAlreadyExists);
  EXPECT_EQ(TempDir::ReadFile(first) + TempDir::ReadFile(second), "firstsecond");
}

TEST(FileSystemObjectTest, TheDateIsTheLocalTimeAsAnOleDate) {
  TempDir tmp;
  const std::string path = tmp.WriteFile("Setup.tmc", "saved");
  SetLocalModified(path, 2024, 3, 5, 14, 30);
  EXPECT_NEAR(FileSystemObject().GetFile(path).DateLastModified(), 45356.0 + 14.5 / 24.0, 1e-9);
}

// A line ends at LF or CR LF, the last one at the end of the file.
TEST(FileSystemObjectTest, AStreamReadsLineByLineUpToItsEnd) {
  TempDir tmp;
  const std::string path = tmp.WriteFile("a.txt", "one\r\n\r\n\ntwo\rx\nthree");
  TextStream stream = FileSystemObject().GetFile(path).OpenAsTextStream();
  std::vector<std::string> lines;
  while (!stream.AtEndOfStream()) lines.push_back(stream.ReadLine());
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "", "two\rx", "three"}));
  EXPECT_EQ(ErrorNumberOf([&] { stream.ReadLine(); }), errc::kInputPastEndOfFile);
  EXPECT_EQ(ErrorNumberOf([&] { stream.Write("x"); }), errc::kBadFileMode);
  EXPECT_EQ(ErrorNumberOf([&] { FileSystemObject().CreateTextFile(path, false); }),
            errc::kFileAlreadyExists);
}

TEST(FileSystemObjectTest, ByName) {
  TempDir tmp;
  FileSystemObject fso;
  const std::string folder = tmp.Path("made");
  auto call = [&](const char* name, const std::string& path) {
    return fso.Call(name, {Variant(path)});
  };
  EXPECT_TRUE(call("createfolder", folder).IsEmpty());
  EXPECT_TRUE(CBool(call("FolderExists", folder)));
  EXPECT_FALSE(CBool(call("FileExists", folder)));
  EXPECT_EQ(CStr(call("GetFileName", folder + "/a.tmc")), "a.tmc");
  EXPECT_EQ(CStr(call("GetParentFolderName", folder + "/a.tmc")), folder);
  EXPECT_EQ(ErrorNumberOf([&] { fso.Call("FileExists", {}); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { call("DeleteFile", folder); }), errc::kNoSuchMember);
}

}  // namespace
}  // namespace tamrel::testing
