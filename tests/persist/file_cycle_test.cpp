// RenameAsNextFileCycle on real folders: the names left and the reports made.
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "persist_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

using Names = std::set<std::string>;
const std::string kWhere = "Tamrel/ContextCls/RenameAsNextFileCycle";

// The names of a "|"-separated list; "Setup" stands for "Setup.tmc" and a
// cycle number n alone for "Setup(n).tmc".
Names Parse(const std::string& list) {
  Names names;
  std::istringstream in(list);
  for (std::string name; std::getline(in, name, '|');) {
    const bool number = name.find_first_not_of("0123456789") == std::string::npos;
    names.insert(name == "Setup" ? "Setup.tmc" : number ? "Setup(" + name + ").tmc" : name);
  }
  return names;
}

class FileCycleTest : public PersistTest {
 protected:
  Names Left() const {
    Names left;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      left.insert(entry.path().filename().string());
    return left;
  }

  const std::filesystem::path folder_ = dir_.path() / "cycle";
};

TEST_F(FileCycleTest, PrunesTheOldestAndRenamesOneAboveTheHighest) {
  struct Case {
    const char* what;
    std::string file;
    int16_t retain;
    std::string before, after;
    int32_t reported;
  } cases[] = {
      {"1 to 4, retain 4", "Setup.tmc", 4, "Setup|1|2|3|4", "2|3|4|5", 0},
      {"retain 1 keeps only the new one", "Setup.tmc", 1, "Setup|3|5", "6", 0},
      {"the file is missing", "Setup.tmc", 4, "1|2|3|4", "2|3|4", 0},
      {"a name without a dot", "Data", 4, "Data|Data(1)", "Data(1)|Data(2)", 0},
      {"other names are left alone", "Setup.tmc", 4, "Setup|1|Setup(x).tmc|Setup(2).txt",
       "1|2|Setup(x).tmc|Setup(2).txt", 0},
      // The oldest is deleted by its rebuilt name "Setup(7).tmc", which does
      // not exist: the rotation stops there, silently.
      {"leading zeros stop the rotation", "Setup.tmc", 1, "Setup|007", "Setup|007", 0},
      {"a missing folder", "missing/Setup.tmc", 4, "", "", errc::kPathNotFound},
      {"beyond 32 bits", "Setup.tmc", 4, "Setup|2147483647", "Setup|2147483647", errc::kOverflow},
      {"retain below 1", "Setup.tmc", 0, "Setup|1", "Setup", errc::kSubscriptOutOfRange},
#ifdef _WIN32
      // Names that differ in letter case only are one name: a generation
      // spelled in other letters counts and is pruned by its own spelling.
      {"other letters", "Setup.tmc", 2, "Setup|setup(2).TMC|SETUP(3).tmc", "SETUP(3).tmc|4", 0},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    host_->ClearCalls();
    for (const std::string& name : Parse(c.before)) dir_.WriteFile("cycle/" + name, name);
    context_->RenameAsNextFileCycle((folder_ / c.file).string(), c.retain);
    EXPECT_EQ(Left(), Parse(c.after));
    EXPECT_EQ(host_->Errors(), (c.reported == 0 ? Reports{} : Reports{{kWhere, c.reported}}));
  }
}

}  // namespace
}  // namespace tamrel::testing
