#include "tamrel/context_file_lock.hpp"

#include <cstdint>
#include <string>

#include "platform/file_paths.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

// Permissions of a lock file for a context file yet to be made.
constexpr uint32_t kPrivateFile = 0600;
constexpr uint32_t kReadWriteBits = 0666;

// The locks this thread holds, innermost first, each naming the one before
// it (outer_): the file system's lock is not reentrant, so only the first
// lock of a file takes it. A plain pointer, not a table: a thread-local
// object that needs destroying at thread exit has been seen to corrupt the
// heap of a mingw-w64 build when the thread ends.
thread_local ContextFileLock* innermost = nullptr;

// The file a lock is for: a bare name is the file in the current folder,
// and a symbolic link leads to its target.
std::string LockedFile(platform::FileBackend& files, const std::string& context_file) {
  return files.ResolveLinks(detail::WithFolder(context_file));
}

// The lock file's folder by its identity where the file system gives one,
// else by its canonical path, and the lock file's name.
std::string KeyOf(platform::FileBackend& files, const std::string& lock_file) {
  const std::string folder = detail::ParentFolderName(lock_file);
  const platform::FileStatus status = files.Status(folder.empty() ? "." : folder);
  const std::string name = detail::AsFileSystemCompares(detail::LastPathComponent(lock_file));
  if (status.device != 0 || status.node != 0) {
    return std::to_string(status.device) + ":" + std::to_string(status.node) + "/" + name;
  }
  return detail::AsFileSystemCompares(files.CanonicalPath(lock_file));
}

// A lock file no more open than the file it guards.
uint32_t LockPermissions(platform::FileBackend& files, const std::string& context_file) {
  const platform::FileStatus status = files.Status(context_file);
  if (status.kind != platform::EntryKind::kFile) return kPrivateFile;
  return status.permissions & kReadWriteBits;
}

}  // namespace

ContextFileLock::ContextFileLock(const std::string& context_file, double wait_seconds) {
  platform::FileBackend& files = *platform::Current().file_system;
  const std::string file = LockedFile(files, context_file);
  const std::string lock_file = file + ".lock";
  key_ = KeyOf(files, lock_file);
  if (!HeldByThisThread(key_)) {
    lock_ = files.Lock(lock_file, wait_seconds, LockPermissions(files, file));
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

bool ContextFileLock::HeldByThisThread(const std::string& key) {
  for (const ContextFileLock* held = innermost; held != nullptr; held = held->outer_) {
    if (held->key_ == key) return true;
  }
  return false;
}

std::string ContextFileLock::LockFileOf(const std::string& context_file) {
  return LockedFile(*platform::Current().file_system, context_file) + ".lock";
}

}  // namespace tamrel
