// Crash test: a child process saves a context again and again and is killed
// (SIGKILL) at a random moment; after every kill the context file and its
// backup copy must each load completely, as the old text or the new one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "persist_fixture.hpp"
#include "support/discarding_host.hpp"

namespace tamrel::testing {
namespace {

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

using CrashTest = PersistTest;

TEST_F(CrashTest, KilledSaverNeverLeavesATornFile) {
  const std::string path = dir_.Path("Crash.tmc");
  Fill(*context_, Version('a'));
  ASSERT_TRUE(context_->Save(path));
  std::mt19937 random(12345);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(12);
  int kills = 0;
  for (; std::chrono::steady_clock::now() < deadline && kills < 400; ++kills) {
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
  EXPECT_GE(kills, 50);
}

}  // namespace
}  // namespace tamrel::testing
