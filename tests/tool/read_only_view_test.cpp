// ReadOnlyView: what is done through it is seen through it, and never on
// disk. The reading commands' table (tool_process_test.cpp) covers a Load's
// recovery over the view; this covers the listing and the new folders that
// recovery does not use yet.
#include "read_only_view.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::testing {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::ranges::sort(names);
  return names;
}

TEST(ReadOnlyView, ChangesAreSeenThroughTheViewAndLeaveTheDiskAsItWas) {
  TempDir dir;
  dir.WriteFile("Prefs.tmc", "damaged");
  dir.WriteFile("state/Prefs.tmc", "backup");
  const auto before = dir.Files();
  FileSystemObject fso(std::make_shared<tool::ReadOnlyView>(platform::NativeFileBackend()));

  File damaged = fso.GetFile(dir.Path("Prefs.tmc"));
  damaged.Name("Prefs.tmc_corrupt(1)");
  fso.GetFile(dir.Path("state/Prefs.tmc")).Copy(dir.Path(""), true);
  fso.CreateFolder(dir.Path("made"));
  fso.CreateTextFile(dir.Path("made/New.tmc")).Close();

  EXPECT_EQ(Sorted(fso.backend()->ListFiles(Utf8Text(dir.path()))),
            (std::vector<std::string>{"Prefs.tmc", "Prefs.tmc_corrupt(1)"}));
  EXPECT_EQ(fso.backend()->ListFiles(dir.Path("made")), std::vector<std::string>{"New.tmc"});
  EXPECT_EQ(fso.backend()->ReadFile(dir.Path("Prefs.tmc")), "backup");
  EXPECT_EQ(fso.backend()->ReadFile(dir.Path("Prefs.tmc_corrupt(1)")), "damaged");
  EXPECT_EQ(dir.Files(), before);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "made"));
}

}  // namespace
}  // namespace tamrel::testing
