#include "tamrel/context_file_lock.hpp"

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

// The locks this thread holds, innermost first, each naming the one before
// it (outer_): the file system's lock is not reentrant, so only the first
// lock of a file takes it. A plain pointer, not a table: a thread-local
// object that needs destroying at thread exit has been seen to corrupt the
// heap of a mingw-w64 build when the thread ends.
thread_local ContextFileLock* innermost = nullptr;

}  // namespace

ContextFileLock::ContextFileLock(const std::string& context_file, double wait_seconds)
    : lock_file_(LockFileOf(context_file)) {
  if (!HeldByThisThread(lock_file_)) {
    lock_ = platform::Current().file_system->Lock(lock_file_, wait_seconds);
  }
  outer_ = innermost;
  innermost = this;
}

ContextFileLock::~ContextFileLock() {
  // Usually the innermost; a lock let go out of order is unlinked where it is.
  ContextFileLock** link = &innermost;
  while (*link != nullptr && *link != this) link = &(*link)->outer_;
  if (*link == this) *link = outer_;
}

bool ContextFileLock::HeldByThisThread(const std::string& lock_file) {
  for (const ContextFileLock* held = innermost; held != nullptr; held = held->outer_) {
    if (held->lock_file_ == lock_file) return true;
  }
  return false;
}

std::string ContextFileLock::LockFileOf(const std::string& context_file) {
  return context_file + ".lock";
}

}  // namespace tamrel
