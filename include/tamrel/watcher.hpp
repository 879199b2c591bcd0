// ContextWatcher: learns when another program saved a context file, and
// what changed, on the host's own thread.
//
// A watcher watches one context file through the operating system's change
// notifications (inotify on Linux, ReadDirectoryChangesW on Windows) and hands the host the records
// added, changed and removed since its last look, keyed by tag, id and instance. It reports only
// once a save is complete: the file was replaced or written and closed, no save holds the file's
// lock (the watcher never takes the lock itself, it only looks), and the file decodes whole. A
// burst of saves gives one report with the net change, about 100 ms after the last of them ended
// (at most 250 ms).
//
// It is bound to a ContextCls: when the file, once changed, holds exactly
// the context's records, nothing is reported (the host's own saves, or a
// program that saved what the host already has). No state is shared across
// the process for that.
//
// What it follows: the file replaced by rename (every Save does that), its
// folder created after the watcher started, the file deleted, set aside and
// restored, and a symbolic link: the folder of the link and that of its
// target are watched, and the link may be pointed elsewhere.
//
// Use on the host's thread:
//
//   tamrel::ContextWatcher watcher(path, settings);
//   // an event loop: watch watcher.Descriptor() for reading, then
//   while (auto change = watcher.Poll()) tamrel::ApplyChange(*settings, *change);
//   // without one: if (auto change = watcher.Wait(std::chrono::seconds(1))) ...
//
// Limits: change notifications come from the local kernel, so a save made
// by another machine on a network file system (NFS, SMB) is not seen; a
// save on this machine is. On Linux each watcher uses one inotify instance
// and one or two watches; the system limits them per user
// (/proc/sys/fs/inotify/max_user_instances, 128 by default, and
// max_user_watches): past that the constructor raises Error 70 naming the
// limit. On Windows a folder is watched through a handle that stays open,
// and a file written in place is looked at once it has been left alone for
// the quiet time rather than once it is closed; whether a save holds the lock
// is told by trying, and letting go at once, a shared lock of it, since
// Windows cannot be asked who holds one. A watcher is used from one thread at
// a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/file_records.hpp"
#include "tamrel/records.hpp"

namespace tamrel {

class ContextCls;

// One report: the file's state and how its records moved since the last
// report (or since the watcher started).
struct ContextChange {
  // kLoaded when the file decodes whole; otherwise the record lists are
  // empty and `reason` says why the file is damaged or unreadable. When the
  // file comes back after one of those, the records are compared with the
  // last records the file held.
  FileRecords::State file = FileRecords::State::kLoaded;
  std::string reason;
  std::vector<Record> added;    // records the file holds now and did not
  std::vector<Record> changed;  // records whose value changed, with the new value
  std::vector<Record> removed;  // records the file no longer holds, as they were
  // Every record of each tag and id touched by the change, before and after
  // it, in file order: what ApplyChange works from.
  std::vector<Record> before, after;
};

class TAMREL_EXPORT ContextWatcher {
 public:
  // Starts watching `file` (its folder need not exist yet) for `context`,
  // taking the file's records as they are now as the last look. Raises
  // Error 70 when the system refuses another watch (see Limits), 75 for
  // other failures of the notification system.
  ContextWatcher(const std::string& file, std::shared_ptr<const ContextCls> context);
  ~ContextWatcher();
  ContextWatcher(const ContextWatcher&) = delete;
  ContextWatcher& operator=(const ContextWatcher&) = delete;

  // Readable (POSIX: a file descriptor for poll, select or an event loop;
  // Windows: an event handle cast to intptr_t, signalled) whenever Poll may
  // have something to do. Owned by the watcher; valid for its lifetime.
  intptr_t Descriptor() const;

  // Takes the notifications that arrived, without waiting, and returns a
  // report when a save completed and its debounce time passed.
  std::optional<ContextChange> Poll();

  // Waits up to `timeout` for a report.
  std::optional<ContextChange> Wait(std::chrono::milliseconds timeout);

  const std::string& file() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Applies a report to `context` without touching the file. For every tag
// and id the report touches, the context's values are made the file's
// (`after`) when the context held exactly what the file held before
// (`before`); when the host changed that tag and id and has not saved it,
// the host's values are kept, and its next Save writes them over the
// file's. `changed` is left as it was: the applied values are already in
// the file. The values are replaced through Remove and CloneAdd, so the
// cursors of those tags and ids are as those members leave them. Returns the
// number of tags and ids whose values were replaced.
TAMREL_EXPORT int32_t ApplyChange(ContextCls& context, const ContextChange& change);

}  // namespace tamrel
