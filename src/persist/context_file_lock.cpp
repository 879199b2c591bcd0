#include "tamrel/context_file_lock.hpp"

#include <map>

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

// How many ContextFileLock objects of this thread hold each lock file. The
// file system's lock is not reentrant, so only the first takes it.
std::map<std::string, int>& HeldByThisThread() {
  thread_local std::map<std::string, int> held;
  return held;
}

}  // namespace

ContextFileLock::ContextFileLock(const std::string& context_file, double wait_seconds)
    : lock_file_(LockFileOf(context_file)) {
  auto& held = HeldByThisThread();
  if (held[lock_file_]++ > 0) return;
  try {
    lock_ = platform::Current().file_system->Lock(lock_file_, wait_seconds);
  } catch (...) {
    held.erase(lock_file_);
    throw;
  }
}

ContextFileLock::~ContextFileLock() {
  auto& held = HeldByThisThread();
  if (--held[lock_file_] == 0) held.erase(lock_file_);
}

std::string ContextFileLock::LockFileOf(const std::string& context_file) {
  return context_file + ".lock";
}

}  // namespace tamrel
