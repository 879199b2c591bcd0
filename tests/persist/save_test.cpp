// Save: both copies, daily generations, the backup's retry and the failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "persist_fixture.hpp"
#include "support/fault_injecting_backend.hpp"

namespace tamrel::testing {
namespace {

constexpr double kNow = 45000.5;  // 2023-03-15 12:00:00, the clock of these tests

class SaveTest : public PersistTest {
 protected:
  SaveTest() : disk_(std::make_shared<FaultInjectingBackend>()), clock_scope_(ClockAndDisk()) {}

  platform::Hooks ClockAndDisk() {
    platform::Hooks hooks = FaultInjectingBackend::Hooks(disk_);
    hooks.now = [] { return kNow; };
    // Each reading of the time of day is a quarter second later.
    auto seconds = std::make_shared<float>(1000.0F);
    hooks.seconds_since_midnight = [seconds] { return *seconds += 0.25F; };
    return hooks;
  }

  void WriteDated(const std::string& path, const std::string& text, double date) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    dir_.WriteFile(std::filesystem::relative(path, dir_.path()).string(), text);
    disk_->SetModified(path, date);
  }

  std::string WindowsPart() const { return windows_.string() + "/"; }

  std::shared_ptr<FaultInjectingBackend> disk_;
  platform::Scope clock_scope_;
};

const std::string kOneRecord = ContextFile(Element("A", "a", 1, "x&amp;y"));

TEST_F(SaveTest, EmptyStoreWritesTheRootToBothCopies) {
  const std::string path = dir_.Path("Setup.tmc");
  detail::StateOf(*context_).changed = true;
  EXPECT_TRUE(context_->Save(path));
  EXPECT_EQ(Read(path), "<context></context>");
  EXPECT_EQ(Read(Backup("Setup.tmc")), "<context></context>");
  EXPECT_EQ(context_->SaveLocation(), path);
  EXPECT_FALSE(context_->changed());
  EXPECT_EQ(host_->LogLines(),
            std::vector<std::string>{"Context log: Setup.tmc <context></context>"});
}

TEST_F(SaveTest, WithoutANameTheRememberedLocationIsUsed) {
  EXPECT_FALSE(context_->Save());
  std::vector<HostCall> registered = host_->CallsOf("RegisterError");
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].args,
            (std::vector<std::string>{"Tamrel/ContextCls/Save", "Initialize"}));
  EXPECT_EQ(registered[0].error.number, -1);
  EXPECT_EQ(registered[0].error.source,
            "Tamrel/ContextCls/Save Default context save filename is blank");
  EXPECT_EQ(host_->Ops(),
            (std::vector<std::string>{"RegisterError", "WriteDetail", "HandleError"}));
  EXPECT_EQ(host_->DetailLines(), std::vector<std::string>{"Save File: "});
  EXPECT_TRUE(std::filesystem::is_empty(windows_));

  Fill(*context_, {{"A", "a", 1, "x&y"}});
  const std::string path = dir_.Path("Named.tmc");
  ASSERT_TRUE(context_->Save(path));
  context_->Value("A", "a", Variant("new"));
  ASSERT_TRUE(context_->Save());
  EXPECT_EQ(Read(path), ContextFile(Element("A", "a", 1, "new")));
}

TEST_F(SaveTest, CopyWrittenOnAnEarlierDayBecomesAGeneration) {
  const std::string path = dir_.Path("Setup.tmc");
  WriteDated(path, "yesterday's main", kNow - 0.6);  // 2023-03-14 21:36
  WriteDated(Backup("Setup.tmc"), "yesterday's backup", kNow - 1.0);
  Fill(*context_, {{"A", "a", 1, "x&y"}});
  ASSERT_TRUE(context_->Save(path));
  EXPECT_EQ(Read(dir_.Path("Setup(1).tmc")), "yesterday's main");
  EXPECT_EQ(Read(Backup("Setup(1).tmc")), "yesterday's backup");
  EXPECT_EQ(Read(path), kOneRecord);
  EXPECT_EQ(Read(Backup("Setup.tmc")), kOneRecord);
}

TEST_F(SaveTest, CopyWrittenTodayOrInTheFutureIsOverwrittenInPlace) {
  const std::string path = dir_.Path("Setup.tmc");
  WriteDated(path, "an hour ago", kNow - 1.0 / 24);
  WriteDated(Backup("Setup.tmc"), "tomorrow", kNow + 1.0);
  Fill(*context_, {{"A", "a", 1, "x&y"}});
  ASSERT_TRUE(context_->Save(path));
  EXPECT_FALSE(Exists(dir_.Path("Setup(1).tmc")));
  EXPECT_FALSE(Exists(Backup("Setup(1).tmc")));
  EXPECT_EQ(Read(path), kOneRecord);
  EXPECT_EQ(Read(Backup("Setup.tmc")), kOneRecord);
}

TEST_F(SaveTest, MissingFolderChainIsCreated) {
  const std::string path = dir_.Path("a/b/c/Setup.tmc");
  ASSERT_TRUE(context_->Save(path));
  EXPECT_EQ(Read(path), "<context></context>");
}

TEST_F(SaveTest, CalibrationSettingsLogsOneShortLine) {
  std::vector<Record> records(30, Record{"Cal", "point", 1, "1.5"});
  Fill(*context_, records);
  ASSERT_TRUE(context_->Save(dir_.Path("CalibrationSettings.tmc")));
  ASSERT_TRUE(context_->Save(dir_.Path("calibrationsettings.tmc")));
  std::vector<std::string> lines = host_->LogLines();
  ASSERT_EQ(lines.size(), 2u);
  const std::string prefix = "Context Save: CalibrationSettings.tmc ";
  EXPECT_EQ(lines[0].rfind(prefix, 0), 0u);
  EXPECT_EQ(lines[0].size(), prefix.size() + 200);
  EXPECT_EQ(lines[1].rfind("Context log: calibrationsettings.tmc <context>", 0), 0u);
}

TEST_F(SaveTest, BackupLockedOnceIsWrittenByTheRetry) {
  const std::string path = dir_.Path("Setup.tmc");
  disk_->FailTimes(FileOp::kCreateTempFile, 1, 70, WindowsPart());
  Fill(*context_, {{"A", "a", 1, "x&y"}});
  EXPECT_TRUE(context_->Save(path));
  EXPECT_EQ(Read(Backup("Setup.tmc")), kOneRecord);
  EXPECT_TRUE(host_->CallsOf("RegisterError").empty());
}

TEST_F(SaveTest, BackupLockedTwiceFailsAfterTheMainCopyIsWritten) {
  const std::string path = dir_.Path("Setup.tmc");
  WriteDated(Backup("Setup.tmc"), "old backup", kNow);
  disk_->FailTimes(FileOp::kCreateTempFile, 2, 70, WindowsPart());
  Fill(*context_, {{"A", "a", 1, "x&y"}});
  EXPECT_FALSE(context_->Save(path));
  EXPECT_EQ(Read(path), kOneRecord);
  EXPECT_EQ(Read(Backup("Setup.tmc")), "old backup");
  EXPECT_EQ(host_->DetailLines(), std::vector<std::string>{"Save File: " + path});
  EXPECT_EQ(host_->Errors(),
            (std::vector<std::pair<std::string, int32_t>>{{"Tamrel/ContextCls/Save", 70}}));
}

TEST_F(SaveTest, WritingAnExistingBackupIsNotRetried) {
  WriteDated(Backup("Setup.tmc"), "old backup", kNow);
  disk_->FailTimes(FileOp::kAppend, 1, 61, WindowsPart());
  Fill(*context_, {{"A", "a", 1, "x&y"}});
  EXPECT_FALSE(context_->Save(dir_.Path("Setup.tmc")));
  EXPECT_EQ(Read(Backup("Setup.tmc")), "old backup");
}

TEST_F(SaveTest, FailedMainWriteLeavesTheOldFileAndTheBackupAlone) {
  const std::string path = dir_.Path("Setup.tmc");
  WriteDated(path, "old main", kNow);
  WriteDated(Backup("Setup.tmc"), "old backup", kNow);
  // The main copy's temporary file, beside it (the backup's is below windows/).
  disk_->FailNthCall(FileOp::kAppend, 1, 61, dir_.path().string() + "/.Setup.tmc");
  Fill(*context_, {{"A", "a", 1, "x&y"}});
  EXPECT_FALSE(context_->Save(path));
  EXPECT_EQ(Read(path), "old main");
  EXPECT_EQ(Read(Backup("Setup.tmc")), "old backup");
  EXPECT_FALSE(context_->changed());
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
        << "temporary file left: " << entry.path();
  }
}

TEST_F(SaveTest, MoreThan32767RecordsOverflowBeforeAnythingIsLoggedOrWritten) {
  std::vector<Record> records(32768, Record{"T", "I", 1, "v"});
  Fill(*context_, records);
  detail::StateOf(*context_).changed = true;
  const std::string path = dir_.Path("Big.tmc");
  EXPECT_FALSE(context_->Save(path));
  EXPECT_FALSE(context_->changed());
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(host_->LogLines().empty());
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/Save", errc::kOverflow}}));
}

TEST_F(SaveTest, FolderThatCannotBeCreatedIsReported) {
  dir_.WriteFile("blocker", "a file where a folder should be");
  EXPECT_FALSE(context_->Save(dir_.Path("blocker/sub/Setup.tmc")));
  std::vector<HostCall> registered = host_->CallsOf("RegisterError");
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].args[0], "Tamrel/ContextCls/Save");
  EXPECT_EQ(host_->LogLines().size(), 1u);  // the text was logged before
}

}  // namespace
}  // namespace tamrel::testing
