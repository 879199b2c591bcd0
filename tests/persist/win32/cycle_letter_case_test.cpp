// Generations on Windows, where file names compare without regard to letter
// case: a generation spelled in other letters counts and is pruned by the
// name rebuilt from the file's own spelling.
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "persist/persist_fixture.hpp"

namespace tamrel::testing {
namespace {

TEST_F(PersistTest, AGenerationInOtherLettersCountsAndIsPruned) {
  for (const char* name : {"Setup.tmc", "setup(2).TMC", "SETUP(3).tmc"}) {
    dir_.WriteFile(name, name);
  }
  context_->RenameAsNextFileCycle(dir_.Path("Setup.tmc"), 2);
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    if (entry.is_regular_file()) left.insert(Utf8Text(entry.path().filename()));
  }
  EXPECT_EQ(left, (std::set<std::string>{"SETUP(3).tmc", "Setup(4).tmc"}));
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel::testing
