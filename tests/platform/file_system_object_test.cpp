// FileSystemObject where the conformance story (tests/testing) cannot take
// it: a backend whose rename replaces, and dates as the platform's own
// clock gives them.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tamrel::testing
