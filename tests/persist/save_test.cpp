// Save: both copies, daily generations and the failures.
// Then the crash test: a child process saves a context again and again and
// is killed (SIGKILL) at a random moment; after every kill the context file
// and its backup copy must each load completely, as the old text or the new.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "persist_fixture.hpp"
#include "support/discarding_host.hpp"
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
  disk_->FailTimes(FileOp::kAppend, 1, 61, dir_.path().string() + "/.Setup.tmc");
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

// Two versions of the store that differ in size and in every value.
Records Version(char which) {
  Records records;
  for (int i = 0; i < (which == 'a' ? 300 : 700); ++i) {
    records.emplace_back("Tag" + std::to_string(i % 7), "Id" + std::to_string(i), 1,
                         std::string(1, which) + "<&>\"'" + std::to_string(i));
  }
  return records;
}

// True when `path` loads without a report and holds one version whole.
bool LoadsWhole(const std::string& path) {
  auto host = RecordingHost::Make();
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  return context->Load(path) && host->CallsOf("ShowMessage").empty() &&
         host->CallsOf("RegisterError").empty() &&
         (RecordsOf(*context) == Version('a') || RecordsOf(*context) == Version('b'));
}

TEST_F(PersistTest, KilledSaverNeverLeavesATornFile) {
  const std::string path = dir_.Path("Crash.tmc");
  Fill(*context_, Version('a'));
  ASSERT_TRUE(context_->Save(path));
  std::mt19937 random(12345);
  // A fixed number of kills, each one checked: how many fit in a time would
  // depend on the machine.
  constexpr int kKills = 60;
  for (int kills = 0; kills < kKills; ++kills) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // saves the two versions in turn until killed
      auto saver = std::make_shared<ContextCls>();
      saver->SetApplicationContext(std::make_shared<DiscardingHost>());
      for (char which = 'b';; which = which == 'a' ? 'b' : 'a') {
        saver->Clear();
        Fill(*saver, Version(which));
        if (!saver->Save(path)) _exit(3);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 30000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself: " << status;
    ASSERT_TRUE(LoadsWhole(path)) << "main copy, after kill " << kills + 1;
    ASSERT_TRUE(LoadsWhole(Backup("Crash.tmc"))) << "backup copy, after kill " << kills + 1;
  }
}

}  // namespace
}  // namespace tamrel::testing
