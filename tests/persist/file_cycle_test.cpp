// RenameAsNextFileCycle on real temporary folders: a folder is laid out with
// the file and its cycle files, the cycle runs, and the names left in the
// folder and the reports to the host are compared.
#include <sys/stat.h>

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
#include "tamrel/filesystem.hpp"

namespace tamrel {
namespace {

using testing::RecordingHost;
using testing::TempDir;
namespace fs = std::filesystem;
using Names = std::set<std::string>;

const std::string kLocation = "Tamrel/ContextCls/RenameAsNextFileCycle";

struct CycleCase {
  const char* what;
  std::string file;
  int16_t retain;
  Names before;
  Names after;
};

class FileCycleTest : public ::testing::Test {
 protected:
  FileCycleTest() { context_->SetApplicationContext(host_); }

  // Starts again on an empty folder.
  void Fresh() { tmp_ = std::make_unique<TempDir>(); }
  std::string Path(const std::string& name) const { return tmp_->Path(name); }
  // Creates each file with its own name as content.
  void Lay(const Names& names) {
    for (const std::string& name : names) tmp_->WriteFile(name, name);
  }
  void Cycle(const std::string& file, int16_t retain) {
    context_->RenameAsNextFileCycle(Path(file), retain);
  }
  Names Left() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(tmp_->path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  // The error numbers reported to the host, each under the cycle's location.
  std::vector<int32_t> Reported() const {
    std::vector<int32_t> numbers;
    for (const auto& [location, number] : host_->Errors()) {
      EXPECT_EQ(location, kLocation);
      numbers.push_back(number);
    }
    return numbers;
  }

  // Runs each case in a fresh folder: the files left must be `after`, and
  // nothing may be reported to the host.
  void RunSilently(const std::vector<CycleCase>& cases) {
    for (const CycleCase& c : cases) {
      SCOPED_TRACE(c.what);
      Fresh();
      Lay(c.before);
      Cycle(c.file, c.retain);
      EXPECT_EQ(Left(), c.after);
      EXPECT_TRUE(host_->calls().empty());
    }
  }

  std::unique_ptr<TempDir> tmp_ = std::make_unique<TempDir>();
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
};


TEST_F(FileCycleTest, PrunesTheOldestAndRenamesOneAboveTheHighest) {
  const std::vector<CycleCase> cases = {
      {"no cycle files", "Setup.tmc", 4, {"Setup.tmc"}, {"Setup(1).tmc"}},
      {"1 to 4, retain 4",
       "Setup.tmc",
       4,
       {"Setup.tmc", "Setup(1).tmc", "Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc"},
       {"Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc", "Setup(5).tmc"}},
      {"2 and 7: gaps are never filled",
       "Setup.tmc",
       4,
       {"Setup.tmc", "Setup(7).tmc", "Setup(2).tmc"},
       {"Setup(2).tmc", "Setup(7).tmc", "Setup(8).tmc"}},
      {"1 to 10, retain 4",
       "Setup.tmc",
       4,
       {"Setup.tmc", "Setup(1).tmc", "Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc",
        "Setup(5).tmc", "Setup(6).tmc", "Setup(7).tmc", "Setup(8).tmc", "Setup(9).tmc",
        "Setup(10).tmc"},
       {"Setup(8).tmc", "Setup(9).tmc", "Setup(10).tmc", "Setup(11).tmc"}},
      {"retain 1 keeps only the new one",
       "Setup.tmc",
       1,
       {"Setup.tmc", "Setup(3).tmc", "Setup(5).tmc"},
       {"Setup(6).tmc"}},
      {"a name without a dot", "README", 4, {"README", "README(1)"}, {"README(1)", "README(2)"}},
      {"several dots split at the last", "a.b.tmc", 4, {"a.b.tmc"}, {"a.b(1).tmc"}},
      {"an upper-case cycle file counts",
       "Setup.tmc",
       4,
       {"Setup.tmc", "SETUP(2).TMC"},
       {"SETUP(2).TMC", "Setup(3).tmc"}},
      {"names that are not cycle files",
       "Setup.tmc",
       1,
       {"Setup.tmc", "Setup().tmc", "Setup(x).tmc", "Setup(1)(2).tmc", "Setup(2).tmc.bak",
        "Other(4).tmc", "Setup(5).txt"},
       {"Setup().tmc", "Setup(x).tmc", "Setup(1)(2).tmc", "Setup(2).tmc.bak", "Other(4).tmc",
        "Setup(5).txt", "Setup(1).tmc"}},
      {"numeric text beyond plain digits",
       "Setup.tmc",
       4,
       {"Setup.tmc", "Setup(-3).tmc", "Setup( 6 ).tmc"},
       {"Setup(-3).tmc", "Setup( 6 ).tmc", "Setup(7).tmc"}},
      {"a fraction is rounded",
       "Setup.tmc",
       4,
       {"Setup.tmc", "Setup(1.5).tmc"},
       {"Setup(1.5).tmc", "Setup(3).tmc"}},
  };
  RunSilently(cases);
}

TEST_F(FileCycleTest, TheFileItselfBecomesTheNewCycle) {
  Lay({"Setup.tmc", "Setup(1).tmc"});
  Cycle("Setup.tmc", 4);
  EXPECT_EQ(TempDir::ReadFile(Path("Setup(2).tmc")), "Setup.tmc");
  EXPECT_EQ(TempDir::ReadFile(Path("Setup(1).tmc")), "Setup(1).tmc");
}

// File not found and file already exists end the cycle where they occur,
// silently; what was deleted before stays deleted.
TEST_F(FileCycleTest, MissingFilesAndTakenNamesEndSilently) {
  const std::vector<CycleCase> cases = {
      {"the file itself is missing: pruned, not renamed",
       "Setup.tmc",
       4,
       {"Setup(1).tmc", "Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc"},
       {"Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc"}},
      {"leading zeros: the rebuilt name is not found",
       "Setup.tmc",
       4,
       {"Setup.tmc", "Setup(03).tmc", "Setup(4).tmc", "Setup(5).tmc", "Setup(6).tmc"},
       {"Setup.tmc", "Setup(03).tmc", "Setup(4).tmc", "Setup(5).tmc", "Setup(6).tmc"}},
      {"leading zeros past the first deletion",
       "Setup.tmc",
       3,
       {"Setup.tmc", "Setup(1).tmc", "Setup(02).tmc", "Setup(3).tmc", "Setup(4).tmc"},
       {"Setup.tmc", "Setup(02).tmc", "Setup(3).tmc", "Setup(4).tmc"}},
  };
  RunSilently(cases);
}

TEST_F(FileCycleTest, ANewNameTakenByAFolderEndsSilently) {
  Lay({"Setup.tmc"});
  fs::create_directory(Path("Setup(1).tmc"));
  Cycle("Setup.tmc", 4);
  EXPECT_EQ(TempDir::ReadFile(Path("Setup.tmc")), "Setup.tmc");
  EXPECT_TRUE(host_->calls().empty());
}

TEST_F(FileCycleTest, ABareFileNameIsReportedAndChangesNothing) {
  Lay({"Setup.tmc"});
  context_->RenameAsNextFileCycle("Setup.tmc", 4);
  EXPECT_EQ(host_->Ops(), (std::vector<std::string>{"RegisterError", "HandleError"}));
  EXPECT_EQ(host_->CallsOf("RegisterError")[0].args,
            (std::vector<std::string>{kLocation, "Initialize"}));
  EXPECT_EQ(host_->CallsOf("HandleError")[0].args,
            (std::vector<std::string>{"True", "True", "False"}));
  EXPECT_EQ(Reported(), (std::vector<int32_t>{errc::kInvalidArgument}));
  EXPECT_EQ(Left(), (Names{"Setup.tmc"}));
}

TEST_F(FileCycleTest, OtherFailuresAreReportedWhereTheyStop) {
  struct Case {
    const char* what;
    Names before;
    std::string file;
    int16_t retain;
    int32_t reported;
    Names after;
  };
  const std::vector<Case> cases = {
      {"a missing folder", {}, "missing/Setup.tmc", 4, errc::kPathNotFound, {}},
      {"a cycle number beyond 32 bits",
       {"Setup.tmc", "Setup(99999999999).tmc"},
       "Setup.tmc",
       4,
       errc::kOverflow,
       {"Setup.tmc", "Setup(99999999999).tmc"}},
      {"no number after the largest",
       {"Setup.tmc", "Setup(2147483647).tmc"},
       "Setup.tmc",
       4,
       errc::kOverflow,
       {"Setup.tmc", "Setup(2147483647).tmc"}},
      {"a retain count below 1 runs past the numbers",
       {"Setup.tmc", "Setup(1).tmc"},
       "Setup.tmc",
       0,
       errc::kSubscriptOutOfRange,
       {"Setup.tmc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    host_->ClearCalls();
    Lay(c.before);
    Cycle(c.file, c.retain);
    EXPECT_EQ(Reported(), std::vector<int32_t>{c.reported});
    EXPECT_EQ(Left(), c.after);
  }
}

// The read-only mark is the file's own, so this holds for root as well.
TEST_F(FileCycleTest, AReadOnlyCycleFileIsNotDeletedAndStopsTheCycle) {
  Lay({"Setup.tmc", "Setup(1).tmc", "Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc"});
  ASSERT_EQ(chmod(Path("Setup(1).tmc").c_str(), 0444), 0);
  Cycle("Setup.tmc", 4);
  EXPECT_EQ(Reported(), std::vector<int32_t>{errc::kPermissionDenied});
  EXPECT_EQ(Left(),
            (Names{"Setup.tmc", "Setup(1).tmc", "Setup(2).tmc", "Setup(3).tmc", "Setup(4).tmc"}));
}

}  // namespace
}  // namespace tamrel
