// Save: both copies, daily generations and the failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "persist_fixture.hpp"
#include "support/fault_injecting_backend.hpp"

namespace tamrel::testing {
namespace {

constexpr double kNow = 45000.5;  // 2023-03-15 12:00:00, the clock of these tests

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
  EXPECT_EQ(Read(Backup("Setup.tmc")), kOneRecord);
  EXPECT_FALSE(context_->changed());
  EXPECT_EQ(host_->LogLines(), Texts{"Context log: Setup.tmc <context><A id=\"a\" instance=\"1\">" +
                                     kEncoded + "</A>~</context>"});
  context_->Value("A", "a", Variant("new"));
  ASSERT_TRUE(context_->Save());
  EXPECT_EQ(Read(path), ContextFile(Element("A", "a", 1, "new")));
}

TEST_F(SaveTest, OnlyACopyWrittenOnAnEarlierDayBecomesAGeneration) {
  WriteDated(path_, "yesterday's main", kNow - 0.6);  // 2023-03-14 21:36
  WriteDated(Backup("Setup.tmc"), "an hour ago", kNow - 1.0 / 24);
  ASSERT_TRUE(context_->Save(path_));
  EXPECT_EQ(Read(dir_.Path("Setup(1).tmc")), "yesterday's main");
  EXPECT_FALSE(Exists(Backup("Setup(1).tmc")));
}

TEST_F(SaveTest, FailedMainWriteLeavesTheOldFileAndTheBackupAlone) {
  WriteDated(path_, "old main", kNow);
  WriteDated(Backup("Setup.tmc"), "old backup", kNow);
  // The main copy's temporary file, beside it (the backup's is below windows/).
  disk_->FailTimes(FileOp::kAppend, 1, 61, dir_.Path(".Setup.tmc"));
  EXPECT_FALSE(context_->Save(path_));
  EXPECT_EQ(Read(path_), "old main");
  EXPECT_EQ(Read(Backup("Setup.tmc")), "old backup");
}

TEST_F(SaveTest, BackupLockedOnceIsWrittenByTheRetryButNotTwice) {
  disk_->FailTimes(FileOp::kCreateTempFile, 1, 70, windows_.string());
  ASSERT_TRUE(context_->Save(path_));
  EXPECT_EQ(Read(Backup("Setup.tmc")), kOneRecord);
  std::filesystem::remove(Backup("Setup.tmc"));
  host_->ClearCalls();
  disk_->FailTimes(FileOp::kCreateTempFile, 2, 70, windows_.string());
  EXPECT_FALSE(context_->Save(path_));
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", 70}}));
  EXPECT_EQ(Read(path_), kOneRecord);  // the main copy was written first
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
