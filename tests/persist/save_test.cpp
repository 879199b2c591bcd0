// Save: both copies, daily generations and the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "persist_fixture.hpp"
#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

constexpr double kNow = 45000.5;  // 2023-03-15 12:00:00, the clock of these tests
#ifdef _WIN32
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

// All five escaped characters, as the file holds them.
const std::string kEncoded = "x&amp;y&lt;&gt;&apos;&quot;";
const std::string kOneRecord = ContextFile(Element("A", "a", 1, kEncoded));

class SaveTest : public PersistTest {
 protected:
  SaveTest() : clock_scope_(ClockAndDisk()) { Fill(*context_, {{"A", "a", 1, "x&y<>'\""}}); }

  platform::Hooks ClockAndDisk() {
    platform::Hooks hooks = FaultInjectingBackend::Hooks(disk_);
    hooks.now = [] { return kNow; };
    // Each reading of the time of day is a quarter second later.
    auto seconds = std::make_shared<float>(1000.0F);
    hooks.seconds_since_midnight = [seconds] { return *seconds += 0.25F; };
    return hooks;
  }

  std::shared_ptr<FaultInjectingBackend> disk_ = std::make_shared<FaultInjectingBackend>();
  platform::Scope clock_scope_;
  FileSystemObject fso_;
  const std::string path_ = dir_.Path("Setup.tmc");
};

TEST_F(SaveTest, BothCopiesAreWrittenAtTheGivenOrTheRememberedLocation) {
  EXPECT_FALSE(context_->Save());
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", -1}}));
  EXPECT_EQ(host_->calls()[0].error.source,
            "Tamrel/ContextCls/Save Default context save filename is blank");
  EXPECT_TRUE(std::filesystem::is_empty(windows_));

  host_->ClearCalls();
  const std::string path = dir_.Path("a/b/Setup.tmc");  // the folders are made
  ASSERT_TRUE(context_->Save(path));
  EXPECT_EQ(Read(path), kOneRecord);
  EXPECT_EQ(Read(BackupCopyPath(path)), kOneRecord);
  EXPECT_FALSE(context_->changed());
  EXPECT_EQ(host_->LogLines(), Texts{"Context log: Setup.tmc <context><A id=\"a\" instance=\"1\">" +
                                     kEncoded + "</A>~</context>"});
  context_->Value("A", "a", Variant("new"));
  ASSERT_TRUE(context_->Save());
  EXPECT_EQ(Read(path), ContextFile(Element("A", "a", 1, "new")));
}

// Yesterday's copy gets a generation beside it, by a hard link or, where
// the file system has none, as a copy with its date; names beside the
// generations that the cycle does not write are left alone and counted for
// nothing.
TEST_F(SaveTest, OnlyACopyWrittenOnAnEarlierDayGetsAGeneration) {
  std::vector<std::string> odd_names = {"Setup(01).tmc", "Setup( 1).tmc", "Setup(99999999999).tmc",
                                        "Setup(1).tmc.bak", "Setup(x).tmc"};
  if (!kNamesIgnoreCase) odd_names.push_back("setup(7).TMC");
  // Generations follow the highest by number, and the oldest go so that four remain.
  const std::vector<std::string> kept = {"Setup(3).tmc", "Setup(9).tmc", "Setup(10).tmc"};
  for (const bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard links, older generations" : "no hard links");
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directories(windows_);
    for (const std::string& name : odd_names) dir_.WriteFile(name, "odd");
    if (links) {
      for (const std::string& name : kept) dir_.WriteFile(name, "older");
      dir_.WriteFile("Setup(2).tmc", "oldest");
    }
    WriteDated(path_, "yesterday's main", kNow - 0.6);  // 2023-03-14 21:36
    WriteDated(Backup("Setup.tmc"), "an hour ago", kNow - 1.0 / 24);
    if (!links) disk_->FailTimes(FileOp::kHardLink, 1, errc::kPathFileAccess);
    ASSERT_TRUE(context_->Save(path_));
    const std::string generation = dir_.Path(links ? "Setup(11).tmc" : "Setup(1).tmc");
    EXPECT_EQ(Read(generation), "yesterday's main");
    EXPECT_EQ(std::floor(fso_.GetFile(generation).DateLastModified()), std::floor(kNow) - 1);
    EXPECT_EQ(Read(path_), kOneRecord);
    for (const std::string& name : odd_names) EXPECT_EQ(Read(dir_.Path(name)), "odd") << name;
    if (links) {
      for (const std::string& name : kept) EXPECT_EQ(Read(dir_.Path(name)), "older") << name;
      EXPECT_FALSE(Exists(dir_.Path("Setup(2).tmc")));
    }
    EXPECT_FALSE(Exists(BackupGeneration("Setup.tmc", 1)));
  }
}

// The day's first save: whatever step of the file's own fails, the path
// keeps yesterday's file and the backup copy is left alone; a read-only file
// is refused before anything is kept or written.
TEST_F(SaveTest, AFailedFirstSaveOfTheDayLeavesYesterdaysFileInPlace) {
  const struct Case {
    const char* what;
    FileOp op;
    int32_t number;
    bool read_only = false;
  } cases[] = {
      {"a full disk", FileOp::kAppend, errc::kDiskFull},
      {"no temporary file", FileOp::kCreateTempFile, errc::kPermissionDenied},
      {"no replacement", FileOp::kReplace, errc::kPermissionDenied},
      {"the lock held elsewhere", FileOp::kLock, errc::kPermissionDenied},
      {"a read-only file", FileOp::kStatus, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directories(windows_);
    WriteDated(path_, "yesterday's main", kNow - 1);
    WriteDated(Backup("Setup.tmc"), "yesterday's backup", kNow - 1);
    if (c.read_only) std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
    // Every path of the file's own steps holds its name (the backup copy's do not).
    if (c.number != 0) disk_->FailTimes(c.op, 1, c.number, "Setup.tmc");
    host_->ClearCalls();
    EXPECT_FALSE(context_->Save(path_));
    EXPECT_EQ(
        host_->Errors(),
        (Reports{{"Tamrel/ContextCls/Save", c.number != 0 ? c.number : errc::kPermissionDenied}}));
    EXPECT_EQ(Read(path_), "yesterday's main");
    EXPECT_EQ(Read(Backup("Setup.tmc")), "yesterday's backup");
    EXPECT_EQ(Exists(dir_.Path("Setup(1).tmc")), !c.read_only && c.op != FileOp::kLock);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  }
}

// A bare name is the file in the current folder, also on the day it gets a
// generation; the name is remembered as given.
TEST_F(SaveTest, ABareFileNameIsTheFileInTheCurrentFolderAcrossDays) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  WriteDated(path_, "yesterday's main", kNow - 1);
  const bool saved = context_->Save("Setup.tmc");
  std::filesystem::current_path(before);
  ASSERT_TRUE(saved);
  EXPECT_EQ(Read(dir_.Path("Setup(1).tmc")), "yesterday's main");
  EXPECT_EQ(Read(path_), kOneRecord);
  EXPECT_EQ(context_->SaveLocation(), "Setup.tmc");
}

// Temporary files of saves of this file that were killed half-way are
// removed, beside the file and beside its backup copy; others' stay.
TEST_F(SaveTest, ASaveRemovesWhatKilledSavesOfTheSameFileLeft) {
  const std::string left = dir_.WriteFile(".Setup.tmc.tmp-1f2e3d4c", "half");
  const std::string backup_left =
      Utf8Text(std::filesystem::path(Utf8Path(Backup("Setup.tmc"))).parent_path() /
               Utf8Path("." + fso_.GetFileName(Backup("Setup.tmc")) + ".tmp-5a6b7c8d"));
  WriteDated(backup_left, "half", kNow);
  const std::string other = dir_.WriteFile(".Other.tmc.tmp-1f2e3d4c", "another file's");
  ASSERT_TRUE(context_->Save(path_));
  EXPECT_FALSE(Exists(left));
  EXPECT_FALSE(Exists(backup_left));
  EXPECT_EQ(Read(other), "another file's");
}

TEST_F(SaveTest, BackupLockedOnceIsWrittenByTheRetryButNotTwice) {
  disk_->FailTimes(FileOp::kCreateTempFile, 1, errc::kPermissionDenied, windows_.string());
  ASSERT_TRUE(context_->Save(path_));
  EXPECT_EQ(Read(Backup("Setup.tmc")), kOneRecord);
  std::filesystem::remove(Backup("Setup.tmc"));
  host_->ClearCalls();
  disk_->FailTimes(FileOp::kCreateTempFile, 2, errc::kPermissionDenied, windows_.string());
  EXPECT_FALSE(context_->Save(path_));
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", errc::kPermissionDenied}}));
  // The report says the file was written and its backup copy was not.
  EXPECT_EQ(
      host_->CallsOf("RegisterError")
          .at(0)
          .error.description.rfind("backup copy " + Backup("Setup.tmc") + " not written: ", 0),
      0u);
  EXPECT_EQ(host_->DetailLines(), Texts{"Save File: " + path_});
  EXPECT_EQ(Read(path_), kOneRecord);
}

TEST_F(SaveTest, FileHoldsEveryRecordUpTo32767AndOneMoreOverflowsBeforeAnythingIsWritten) {
  Fill(*context_, Records(32767 - 1, Record{"T", "I", 1, "v"}));
  ASSERT_TRUE(context_->Save(path_));
  const std::string saved = Read(path_);
  Fill(*context_, {{"T", "I", 1, "v"}});
  host_->ClearCalls();
  EXPECT_FALSE(context_->Save(path_));
  EXPECT_EQ(Read(path_), saved);
  EXPECT_TRUE(host_->LogLines().empty());
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", errc::kOverflow}}));
}

}  // namespace
}  // namespace tamrel::testing
