// ContextWatcher: notifications of a context file's folders, settled into
// one report per completed save (or burst of saves).
#include "tamrel/watcher.hpp"

#include <utility>

#include "platform/folder_watch.hpp"
#include "tamrel/context.hpp"
#include "watch/record_diff.hpp"
#include "watch/watched_paths.hpp"

namespace tamrel {
namespace {

// How long the file must be left alone before it is looked at: a burst of
// saves closer together than this makes one report.
constexpr std::chrono::milliseconds kQuietTime(100);
// How soon to look again while a save holds the lock.
constexpr std::chrono::milliseconds kLockRetry(20);

}  // namespace

class ContextWatcher::Impl {
 public:
  Impl(std::string file, std::shared_ptr<const ContextCls> context)
      : file_(std::move(file)),
        context_(std::move(context)),
        watch_(platform::native::OpenFolderWatch()) {
    Rewatch();
    const FileRecords now = ReadFileRecords(file_);
    state_ = now.state;
    reason_ = now.reason;
    records_ = now.records;
  }

  std::optional<ContextChange> Poll() {
    if (TookRelevantChanges()) {
      Rewatch();
      watch_->StartTimer(kQuietTime);
      return std::nullopt;
    }
    if (!watch_->TimerDue()) return std::nullopt;
    if (platform::native::SaveHoldsLock(paths_.lock_file)) {
      watch_->StartTimer(kLockRetry);
      return std::nullopt;
    }
    return Look(ReadFileRecords(file_));
  }

  std::optional<ContextChange> Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (std::optional<ContextChange> change = Poll()) return change;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      // A millisecond more, so that a timer due at the deadline is seen.
      watch_->WaitReady(left + std::chrono::milliseconds(1));
    }
  }

  intptr_t Descriptor() const { return watch_->Handle(); }
  const std::string& file() const { return file_; }

 private:
  bool TookRelevantChanges() {
    bool relevant = false;
    for (const std::string& name : watch_->TakeChanges()) {
      relevant = relevant || name.empty() || paths_.names.contains(name);
    }
    return relevant;
  }

  void Rewatch() {
    paths_ = detail::FindWatchedPaths(file_);
    watch_->Watch(paths_.folders);
  }

  // The report for the file as it is `now`, if any: a new state of a file
  // that does not load, or records that moved and are not the context's.
  std::optional<ContextChange> Look(const FileRecords& now) {
    const bool state_moved = now.state != state_ || now.reason != reason_;
    state_ = now.state;
    reason_ = now.reason;
    if (now.state != FileRecords::State::kLoaded) {
      if (!state_moved) return std::nullopt;
      ContextChange change;
      change.file = now.state;
      change.reason = now.reason;
      return change;
    }
    ContextChange change = detail::DiffRecords(records_, now.records);
    records_ = now.records;
    const bool records_moved = !change.before.empty() || !change.after.empty();
    if (!records_moved && !state_moved) return std::nullopt;
    if (detail::SameRecords(now.records, Records(*context_))) return std::nullopt;
    return change;
  }

  std::string file_;
  std::shared_ptr<const ContextCls> context_;
  std::unique_ptr<platform::native::FolderWatch> watch_;
  detail::WatchedPaths paths_;
  // The last look: the file's state, and the records it held when it last
  // loaded.
  FileRecords::State state_ = FileRecords::State::kMissing;
  std::string reason_;
  std::vector<Record> records_;
};

ContextWatcher::ContextWatcher(const std::string& file, std::shared_ptr<const ContextCls> context)
    : impl_(std::make_unique<Impl>(file, std::move(context))) {}

ContextWatcher::~ContextWatcher() = default;

intptr_t ContextWatcher::Descriptor() const { return impl_->Descriptor(); }

std::optional<ContextChange> ContextWatcher::Poll() { return impl_->Poll(); }

std::optional<ContextChange> ContextWatcher::Wait(std::chrono::milliseconds timeout) {
  return impl_->Wait(timeout);
}

const std::string& ContextWatcher::file() const { return impl_->file(); }

}  // namespace tamrel
