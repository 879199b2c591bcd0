// The crash test on POSIX: the saver is a forked child, killed with SIGKILL.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "persist/killed_saver.hpp"

namespace tamrel::testing {
namespace {

TEST_F(PersistTest, KilledSaverNeverLeavesATornFile) {
  const std::string path = dir_.Path("Crash.tmc");
  Fill(*context_, Version('a'));
  ASSERT_TRUE(context_->Save(path));
  std::mt19937 random(12345);
  // A fixed number of kills, each one checked: how many would fit in a time
  // depends on the machine.
  constexpr int kKills = 60;
  for (int kills = 0; kills < kKills; ++kills) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // saves the two versions in turn until killed
      SaveVersionsInTurn(path);
      _exit(3);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 30000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself: " << status;
    ASSERT_TRUE(LoadsWhole(path)) << "main copy, after kill " << kills + 1;
    ASSERT_TRUE(LoadsWhole(Backup("Crash.tmc"))) << "backup copy, after kill " << kills + 1;
  }
  // What the killed saves left is gone after the next save.
  ASSERT_TRUE(context_->Save(path));
  EXPECT_EQ(TempFilesOf(path), std::vector<std::string>{});
  EXPECT_EQ(TempFilesOf(Backup("Crash.tmc")), std::vector<std::string>{});
}

}  // namespace
}  // namespace tamrel::testing
