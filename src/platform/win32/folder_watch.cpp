// FolderWatch on Windows: ReadDirectoryChangesW on each folder, overlapped,
// and a timer-queue timer, all signalling one manual-reset event, which is
// the handle.
#include "platform/folder_watch.hpp"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <set>

#include "platform/win32/utf16.hpp"
#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

// Entries made, deleted, renamed, written, or given other attributes.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
constexpr DWORD kBufferBytes = 16 * 1024;

// One folder's pending ReadDirectoryChangesW.
struct FolderRead {
  HANDLE folder = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped{};
  alignas(DWORD) unsigned char buffer[kBufferBytes];

  ~FolderRead() {
    if (folder == INVALID_HANDLE_VALUE) return;
    CancelIoEx(folder, &overlapped);
    DWORD ignored = 0;
    GetOverlappedResult(folder, &overlapped, &ignored, TRUE);  // the buffer must outlive it
    CloseHandle(folder);
  }

  bool Start() {
    return ReadDirectoryChangesW(folder, buffer, kBufferBytes, FALSE, kChanges, nullptr,
                                 &overlapped, nullptr) != 0;
  }
};

void CALLBACK TimerFired(void* context, BOOLEAN) {
  auto* due = static_cast<std::pair<std::atomic<bool>, HANDLE>*>(context);
  due->first = true;
  SetEvent(due->second);
}

class Win32FolderWatch final : public FolderWatch {
 public:
  Win32FolderWatch() {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ready_ == nullptr) Raise(errc::kPathFileAccess, "cannot watch for changes");
    due_.first = false;
    due_.second = ready_;
  }

  ~Win32FolderWatch() override {
    StopTimer();
    reads_.clear();
    CloseHandle(ready_);
  }

  void Watch(const std::vector<std::string>& folders) override {
    const std::set<std::string> wanted(folders.begin(), folders.end());
    std::erase_if(reads_, [&](const auto& entry) { return !wanted.contains(entry.first); });
    for (const std::string& folder : wanted) {
      if (reads_.contains(folder)) continue;
      auto read = std::make_unique<FolderRead>();
      read->folder =
          CreateFileW(WidePath(folder).c_str(), FILE_LIST_DIRECTORY,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
      if (read->folder == INVALID_HANDLE_VALUE) continue;
      read->overlapped.hEvent = ready_;
      if (read->Start()) reads_[folder] = std::move(read);
    }
  }

  std::vector<std::string> TakeChanges() override {
    // Reset first: a read that completes from here on sets the event again.
    ResetEvent(ready_);
    if (due_.first) SetEvent(ready_);
    std::vector<std::string> names;
    for (auto it = reads_.begin(); it != reads_.end();) {
      if (Take(*it->second, names)) {
        ++it;
      } else {
        names.emplace_back();  // the folder went away, or the watch broke
        it = reads_.erase(it);
      }
    }
    return names;
  }

  void StartTimer(std::chrono::milliseconds delay) override {
    StopTimer();
    due_.first = false;
    const DWORD millis = static_cast<DWORD>(std::max<int64_t>(1, delay.count()));
    if (!CreateTimerQueueTimer(&timer_, nullptr, TimerFired, &due_, millis, 0,
                               WT_EXECUTEONLYONCE)) {
      timer_ = nullptr;
      due_.first = true;  // no timer: look at once rather than never
      SetEvent(ready_);
    }
  }

  bool TimerDue() override { return due_.first.exchange(false); }

  intptr_t Handle() const override { return reinterpret_cast<intptr_t>(ready_); }

  bool WaitReady(std::chrono::milliseconds timeout) override {
    const DWORD millis = static_cast<DWORD>(std::clamp<int64_t>(timeout.count(), 0, INFINITE - 1));
    return WaitForSingleObject(ready_, millis) == WAIT_OBJECT_0;
  }

 private:
  // Takes what a folder's read gathered, if it completed, and starts the
  // next one. False when the folder can no longer be watched.
  static bool Take(FolderRead& read, std::vector<std::string>& names) {
    DWORD bytes = 0;
    if (!GetOverlappedResult(read.folder, &read.overlapped, &bytes, FALSE)) {
      return GetLastError() == ERROR_IO_INCOMPLETE;
    }
    if (bytes == 0) names.emplace_back();  // more changes than the buffer held
    for (DWORD at = 0; at < bytes;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(read.buffer + at);
      names.push_back(
          Utf8(std::wstring_view(info->FileName, info->FileNameLength / sizeof(WCHAR))));
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
    return read.Start();
  }

  void StopTimer() {
    if (timer_ == nullptr) return;
    DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);  // waits for a running callback
    timer_ = nullptr;
  }

  HANDLE ready_ = nullptr;
  HANDLE timer_ = nullptr;
  std::pair<std::atomic<bool>, HANDLE> due_;
  std::map<std::string, std::unique_ptr<FolderRead>> reads_;
};

}  // namespace

std::unique_ptr<FolderWatch> OpenFolderWatch() { return std::make_unique<Win32FolderWatch>(); }

// Windows has no way to ask who holds a lock: a shared lock of the byte a
// saver locks is tried and let go at once. A saver that meets it waits one
// retry pause.
bool SaveHoldsLock(const std::string& lock_file) {
  const HANDLE handle = CreateFileW(WidePath(lock_file).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  bool held = false;
  if (LockFileEx(handle, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    UnlockFileEx(handle, 0, 1, 0, &at);
  } else {
    held = GetLastError() == ERROR_LOCK_VIOLATION;
  }
  CloseHandle(handle);
  return held;
}

}  // namespace tamrel::platform::native
