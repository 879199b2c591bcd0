// Several host programs load, add and save one context file at once, each
// under the file's lock, starting from copies last written yesterday: in the
// end every value is there, and yesterday's copies became exactly one
// generation each, neither lost nor doubled.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "persist/persist_fixture.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/context_file_lock.hpp"

namespace tamrel::testing {
namespace {

constexpr int kPrograms = 4;
constexpr int kRoundsEach = 15;

class ConcurrentSaveTest : public PersistTest {
 protected:
  // One program: rounds of lock, Load, Add, Save. Never returns.
  [[noreturn]] void RunProgram(int program) {
    int failures = 0;
    for (int round = 0; round < kRoundsEach; ++round) {
      auto context = std::make_shared<ContextCls>();
      context->SetApplicationContext(std::make_shared<DiscardingHost>());
      ContextFileLock lock(path_);
      if (!context->Load(path_)) ++failures;
      context->Add("Run", "p" + std::to_string(program) + "_" + std::to_string(round),
                   Variant(std::to_string(round)));
      if (!context->Save(path_)) ++failures;
    }
    _exit(failures == 0 ? 0 : 1);
  }

  const std::string path_ = dir_.Path("Setup.tmc");
};

TEST_F(ConcurrentSaveTest, ProgramsSavingAtOnceAcrossADayChangeLoseNothing) {
  const double yesterday = platform::Current().now() - 1;
  const std::string first = ContextFile(Element("Run", "start", 1, "0"));
  WriteDated(path_, first, yesterday);
  WriteDated(Backup("Setup.tmc"), first, yesterday);

  std::vector<pid_t> programs;
  for (int program = 0; program < kPrograms; ++program) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) RunProgram(program);
    programs.push_back(pid);
  }
  for (pid_t pid : programs) {
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a program failed: " << status;
  }

  ASSERT_TRUE(context_->Load(path_));
  Records expected = {{"Run", "start", 1, "0"}};
  for (int program = 0; program < kPrograms; ++program) {
    for (int round = 0; round < kRoundsEach; ++round) {
      const std::string id = "p" + std::to_string(program) + "_" + std::to_string(round);
      expected.push_back({"Run", id, 1, std::to_string(round)});
    }
  }
  Records loaded = tamrel::Records(*context_);
  std::ranges::sort(expected, {}, &Record::id);
  std::ranges::sort(loaded, {}, &Record::id);
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(Read(Backup("Setup.tmc")), Read(path_));
  // Yesterday's copies, each kept once as generation (1).
  for (const std::string& generation :
       {dir_.Path("Setup(1).tmc"), BackupGeneration("Setup.tmc", 1)}) {
    const std::filesystem::path folder = std::filesystem::path(generation).parent_path();
    std::set<std::string> generations;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().filename().string().find('(') != std::string::npos) {
        generations.insert(entry.path().string());
      }
    }
    EXPECT_EQ(generations, std::set<std::string>{generation});
    EXPECT_EQ(Read(generation), first);
  }
}

}  // namespace
}  // namespace tamrel::testing
