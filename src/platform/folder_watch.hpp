// FolderWatch: the operating system's notifications of changes to the
// entries of a few folders, and a timer, behind one handle a program can
// wait on. What ContextWatcher is built on; one implementation per platform.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamrel::platform::native {

class FolderWatch {
 public:
  virtual ~FolderWatch() = default;

  // Watches exactly `folders` from now on (absolute paths of existing
  // folders): new ones are added, others dropped. A folder that cannot be
  // watched (gone meanwhile, no permission) is left out silently: the caller
  // finds it again at its next look. Raises Error 70 when the system's limit
  // on watches is reached.
  virtual void Watch(const std::vector<std::string>& folders) = 0;

  // The names of entries created, deleted, renamed, written and closed, or
  // whose attributes changed in a watched folder since the last call,
  // without waiting. "" stands for a watched folder itself being deleted or
  // moved, or notifications lost (the queue overflowed): anything may have
  // changed.
  virtual std::vector<std::string> TakeChanges() = 0;

  // Makes the handle ready once `delay` has passed from now, replacing any
  // earlier time; TimerDue tells, once, that it has.
  virtual void StartTimer(std::chrono::milliseconds delay) = 0;
  virtual bool TimerDue() = 0;

  // Ready for reading (POSIX) or signalled (Windows) while a change or the
  // timer waits to be taken.
  virtual intptr_t Handle() const = 0;

  // Waits until the handle is ready or `timeout` passes; true when ready.
  virtual bool WaitReady(std::chrono::milliseconds timeout) = 0;
};

// Raises Error 70 when the system's limit on notification instances is
// reached, 75 for other failures.
std::unique_ptr<FolderWatch> OpenFolderWatch();

// True when a save holds the lock file `lock_file`: it exists and another
// open file holds a write lock on it. Looks without taking the lock, and
// through no symbolic link planted in the lock file's place.
bool SaveHoldsLock(const std::string& lock_file);

}  // namespace tamrel::platform::native
