// The lock of a context file on POSIX: a holder killed while it holds the
// lock leaves none behind, as the system releases it with the process.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "automation/error_number.hpp"
#include "persist/persist_fixture.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

constexpr double kShortWait = 0.2;

TEST_F(PersistTest, AHolderKilledWhileHoldingItLeavesNoStaleLock) {
  const std::string path = dir_.Path("Setup.tmc");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ContextFileLock lock(path);
    char byte = 1;
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    for (;;) pause();
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  EXPECT_EQ(ErrorNumberOf([&] { ContextFileLock lock(path, kShortWait); }),
            errc::kPermissionDenied);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(ErrorNumberOf([&] { ContextFileLock lock(path, kShortWait); }), 0);
}

}  // namespace
}  // namespace tamrel::testing
