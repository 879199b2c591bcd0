// ContextFileLock: the lock that makes one saver at a time of a context file.
//
// Save holds it from the day check of the file cycle until the backup copy
// is written, so that the generations, the file and its backup copy are
// each the work of one saver; a Load that recovers a damaged file holds it
// while it sets the file aside and copies the backup back. A program that
// loads a file, changes it and saves it holds the lock itself from before
// its Load until after its Save, so that no other saver's values come
// between and are lost:
//
//   tamrel::ContextFileLock lock(path);   // Error 70 after the wait
//   context->Load(path);
//   context->Add("Setup", "Port", tamrel::Variant("COM3"));
//   context->Save(path);
//
// The lock is an exclusive lock of the file system on a lock file beside the
// context file, "<file name>.lock" (a name no generation or set-aside file
// takes). A symbolic link is followed: the lock belongs to the file it leads
// to, beside that file. The lock file exists only while the lock is held:
// it is made with the context file's permissions (0600 when there is no file
// yet), taken with a write lock, which needs write access to it, and removed
// when the lock is let go, so the folder holds nothing more once a save is
// over. It is never opened through a symbolic link planted at its name, and
// a name that is not a plain file (a pipe) is refused at once with 75
// instead of waited on. The system drops the lock when the process ends,
// however it ends: a crash leaves no stale lock, only the lock file, which
// the next holder takes over and removes. Locks are taken through the file
// system of the platform hooks in force.
//
// Within one thread the lock is reentrant: a Save run while the thread holds
// the lock of its file does not wait for it again, however the path is
// spelled (relative, through a link, another letter case on Windows): the
// lock is known by its folder's identity and its name. Another thread of the
// same process waits as another process does.
#pragma once

#include <memory>
#include <string>

#include "tamrel/export.hpp"

namespace tamrel {

namespace platform {
class FileLock;  // tamrel/filesystem.hpp
}

class TAMREL_EXPORT ContextFileLock {
 public:
  static constexpr double kDefaultWaitSeconds = 10;

  // Takes the lock of `context_file`, waiting up to `wait_seconds` for
  // another holder. Raises Error 70 when the wait runs out (and only then),
  // 76 for a missing folder, 75 when the lock file cannot be made or opened
  // otherwise (a read-only folder) or is not a plain file.
  explicit ContextFileLock(const std::string& context_file,
                           double wait_seconds = kDefaultWaitSeconds);
  ~ContextFileLock();
  ContextFileLock(const ContextFileLock&) = delete;
  ContextFileLock& operator=(const ContextFileLock&) = delete;

  // The lock file of `context_file`: beside the file a symbolic link there
  // leads to.
  static std::string LockFileOf(const std::string& context_file);

 private:
  // Whether a ContextFileLock of this thread holds the lock known as `key`.
  static bool HeldByThisThread(const std::string& key);

  // The lock file's folder identity and name.
  std::string key_;
  // Null when the thread held the lock already.
  std::unique_ptr<platform::FileLock> lock_;
  // The lock this thread took before this one and still holds, if any.
  ContextFileLock* outer_ = nullptr;
};

}  // namespace tamrel
