// RenameAsNextFileCycle on real temporary folders: a folder is laid out with
// the file and its cycle files, the cycle runs, and the names left in the
// folder and the reports to the host are compared.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
namespace {

using testing::RecordingHost;
using testing::TempDir;
using Names = std::set<std::string>;

// The names of a "|"-separated list; "Setup" stands for "Setup.tmc" and a
// cycle number n alone for "Setup(n).tmc".
Names Parse(const std::string& list) {
  Names names;
  for (std::size_t at = 0; at < list.size();) {
    std::size_t end = std::min(list.find('|', at), list.size());
    std::string name = list.substr(at, end - at);
    const bool number = name.find_first_of("(R") == std::string::npos &&
                        name.find("tmc") == std::string::npos;
    names.insert(name == "Setup" ? "Setup.tmc" : number ? "Setup(" + name + ").tmc" : name);
    at = end + 1;
  }
  return names;
}

struct CycleCase {
  const char* what;
  std::string file;
  int16_t retain;
  std::string before, after;
  int32_t reported;  // 0: nothing reported
};

TEST(FileCycleTest, PrunesTheOldestAndRenamesOneAboveTheHighest) {
  const std::vector<CycleCase> cases = {
      {"1 to 4, retain 4", "Setup.tmc", 4, "Setup|1|2|3|4", "2|3|4|5", 0},
      {"gaps are never filled", "Setup.tmc", 4, "Setup|7|2", "2|7|8", 0},
      {"retain 1 keeps only the new one", "Setup.tmc", 1, "Setup|3|5", "6", 0},
      {"a name without a dot", "README", 4, "README|README(1)", "README(1)|README(2)", 0},
      {"upper case counts", "Setup.tmc", 4, "Setup|SETUP(2).TMC", "SETUP(2).TMC|3", 0},
      {"not cycle files", "Setup.tmc", 1, "Setup|Setup(x).tmc|Setup(1)(2).tmc|Other(4).tmc",
       "Setup(x).tmc|Setup(1)(2).tmc|Other(4).tmc|1", 0},
      {"numeric text", "Setup.tmc", 4, "Setup|-3| 6 |1.5", "-3| 6 |1.5|7", 0},
      // File not found and file already exists end the cycle silently;
      // what was deleted stays deleted.
      {"the file is missing", "Setup.tmc", 4, "1|2|3|4", "2|3|4", 0},
      {"leading zeros", "Setup.tmc", 3, "Setup|1|02|3|4", "Setup|02|3|4", 0},
      {"a missing folder", "missing/Setup.tmc", 4, "", "", errc::kPathNotFound},
      {"beyond 32 bits", "Setup.tmc", 4, "Setup|2147483647", "Setup|2147483647", errc::kOverflow},
      {"retain below 1", "Setup.tmc", 0, "Setup|1", "Setup", errc::kSubscriptOutOfRange},
  };
  for (const CycleCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    auto host = RecordingHost::Make();
    ContextCls context;
    context.SetApplicationContext(host);
    for (const std::string& name : Parse(c.before)) dir.WriteFile(name, name);
    context.RenameAsNextFileCycle(dir.Path(c.file), c.retain);
    Names left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, Parse(c.after));
    if (c.reported == 0) {
      EXPECT_TRUE(host->calls().empty());
    } else {
      EXPECT_EQ(host->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                    {"Tamrel/ContextCls/RenameAsNextFileCycle", c.reported}}));
    }
  }
}

TEST(FileCycleTest, ProblemsThatStopTheCycle) {
  TempDir dir;
  auto host = RecordingHost::Make();
  ContextCls context;
  context.SetApplicationContext(host);
  dir.WriteFile("Setup.tmc", "Setup.tmc");
  // A bare file name is reported and changes nothing.
  context.RenameAsNextFileCycle("Setup.tmc", 4);
  EXPECT_EQ(host->Ops(), (std::vector<std::string>{"RegisterError", "HandleError"}));
  EXPECT_EQ(host->CallsOf("HandleError")[0].args,
            (std::vector<std::string>{"True", "True", "False"}));
  // A read-only cycle file (the mark is the file's own, so even for root)
  // is not deleted, and stops the cycle.
  for (const char* name : {"Setup(1).tmc", "Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc"}) {
    dir.WriteFile(name, name);
  }
  ASSERT_EQ(chmod(dir.Path("Setup(1).tmc").c_str(), 0444), 0);
  context.RenameAsNextFileCycle(dir.Path("Setup.tmc"), 4);
  EXPECT_EQ(host->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                {"Tamrel/ContextCls/RenameAsNextFileCycle", errc::kInvalidArgument},
                                {"Tamrel/ContextCls/RenameAsNextFileCycle",
                                 errc::kPermissionDenied}}));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("Setup(1).tmc")));
  ASSERT_EQ(chmod(dir.Path("Setup(1).tmc").c_str(), 0644), 0);
  context.RenameAsNextFileCycle(dir.Path("Setup.tmc"), 4);  // the file itself moves
  EXPECT_EQ(TempDir::ReadFile(dir.Path("Setup(5).tmc")), "Setup.tmc");
  EXPECT_EQ(TempDir::ReadFile(dir.Path("Setup(2).tmc")), "Setup(2).tmc");
}

}  // namespace
}  // namespace tamrel
