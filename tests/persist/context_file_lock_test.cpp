// The lock of a context file: one holder at a time across threads, a bounded
// wait that ends with error 70, reentrance on one thread, and Save under it.
// (A holder killed: killed_process_test; a Save refused the lock: save_test.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "automation/error_number.hpp"
#include "persist_fixture.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

constexpr double kShortWait = 0.2;

class ContextFileLockTest : public PersistTest {
 protected:
  // The error of taking the lock of `path_` on another thread, 0 for none.
  int32_t FromAnotherThread() const {
    int32_t number = -1;
    std::thread([&] {
      number = ErrorNumberOf([&] { ContextFileLock lock(path_, kShortWait); });
    }).join();
    return number;
  }

  const std::string path_ = dir_.Path("Setup.tmc");
};

// A waiter that starts while the lock is held gets it when it is let go.
TEST_F(ContextFileLockTest, AWaitingThreadGetsTheLockOnceItIsReleased) {
  auto lock = std::make_unique<ContextFileLock>(path_);
  EXPECT_TRUE(Exists(ContextFileLock::LockFileOf(path_)));
  std::atomic<bool> released = false;
  int32_t after_release = -1;
  std::thread waiter([&] {
    after_release = ErrorNumberOf([&] {
      ContextFileLock again(path_, 10);
      EXPECT_TRUE(released);
    });
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  released = true;
  lock.reset();
  waiter.join();
  EXPECT_EQ(after_release, 0);
  // The last holder leaves no lock file behind.
  EXPECT_FALSE(Exists(ContextFileLock::LockFileOf(path_)));
  EXPECT_EQ(dir_.Files().size(), 0u);
}

// The holding thread takes the lock again, however it spells the path, and
// saves under it; another thread waits a bounded time, then fails with 70.
TEST_F(ContextFileLockTest, TheHoldingThreadTakesItAgainAndSavesUnderIt) {
  std::filesystem::create_directories(dir_.path() / "sub");
  ContextFileLock outer(path_, kShortWait);
  for (const std::string& spelling : {path_, dir_.Path("sub/../Setup.tmc")}) {
    ContextFileLock inner(spelling, kShortWait);
  }
  // Still held after the inner one ended: another thread cannot have it.
  EXPECT_EQ(FromAnotherThread(), errc::kPermissionDenied);

  Fill(*context_, {{"Setup", "Port", 1, "COM1"}});
  EXPECT_TRUE(context_->Save(path_));
  EXPECT_EQ(Read(path_), ContextFile(Element("Setup", "Port", 1, "COM1")));
}

// Locks of two files let go in the order they were taken: the first file
// is free again for other threads, and taken afresh by this one.
TEST_F(ContextFileLockTest, ALockLetGoBeforeALaterOneIsLetGo) {
  const std::string other_file = dir_.Path("Other.tmc");
  auto first = std::make_unique<ContextFileLock>(path_, kShortWait);
  ContextFileLock later(other_file, kShortWait);
  first.reset();
  EXPECT_EQ(FromAnotherThread(), 0);
  ContextFileLock again(path_, kShortWait);
  EXPECT_EQ(FromAnotherThread(), errc::kPermissionDenied);
}

// Twice: a failed lock leaves the thread holding nothing.
TEST_F(ContextFileLockTest, ALockFileInAMissingFolderIsAPathError) {
  const std::string path = dir_.Path("missing/Setup.tmc");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ErrorNumberOf([&] { ContextFileLock lock(path, kShortWait); }), errc::kPathNotFound);
  }
}

}  // namespace
}  // namespace tamrel::testing
