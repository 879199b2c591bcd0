// The lock file on Windows: `LockFileEx` on a handle of its own, opened for
// deletion when the last handle to it closes, so that the file goes with
// the last holder or waiter, also when a process dies.
#include "platform/file_lock.hpp"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(5);

// UTF-8 to UTF-16 for the ...W calls; 52 for text that is not UTF-8.
std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) Raise(errc::kBadFileName);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      wide.data(), length);
  return wide;
}

// 70 is kept for a lock held elsewhere: a lock file that may not be made
// or opened (a read-only folder) is an access error.
[[noreturn]] void RaiseLastError() {
  switch (GetLastError()) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
      Raise(errc::kPathNotFound);
    default:
      Raise(errc::kPathFileAccess);
  }
}

class Win32FileLock : public FileLock {
 public:
  explicit Win32FileLock(HANDLE handle) : handle_(handle) {}
  // Closing the handle releases its locks; the system does so as well when
  // the process ends.
  ~Win32FileLock() override { CloseHandle(handle_); }
  Win32FileLock(const Win32FileLock&) = delete;
  Win32FileLock& operator=(const Win32FileLock&) = delete;

 private:
  HANDLE handle_;
};

// True when the lock was taken, false when another handle holds it. The
// first byte is locked, which exists whether the file is empty or not.
bool TryLock(HANDLE handle) {
  OVERLAPPED at{};
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    return true;
  }
  if (GetLastError() == ERROR_LOCK_VIOLATION) return false;
  RaiseLastError();
}

// TryLock; a handle that did not get the lock is closed, so that a waiter
// never keeps a lock file of a holder that let go alive.
bool TryLockOrClose(HANDLE handle) {
  bool taken = false;
  try {
    taken = TryLock(handle);
  } catch (...) {
    CloseHandle(handle);
    throw;
  }
  if (!taken) CloseHandle(handle);
  return taken;
}

// The lock file, open for writing and for deletion at its last close: never
// through a link planted at its name, and only a plain file. A file whose
// deletion is pending (its last holder just let go) cannot be opened for a
// moment: false then, and the caller tries again.
bool OpenLockFile(const std::wstring& path, HANDLE& handle) {
  handle = CreateFileW(
      path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_ACCESS_DENIED) RaiseLastError();
    // Refused: a lock file that its last holder is deleting, which is gone
    // in a moment, or a folder at the name, which never opens as a file.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Raise(errc::kPathFileAccess, "the lock file is not a plain file");
    }
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    CloseHandle(handle);
    Raise(errc::kPathFileAccess, "the lock file is not a plain file");
  }
  return true;
}

}  // namespace

std::unique_ptr<FileLock> LockFileExclusively(const std::string& path, double wait_seconds,
                                              uint32_t /*permissions*/) {
  const std::wstring wide = Wide(path);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(wait_seconds));
  HANDLE handle = INVALID_HANDLE_VALUE;
  while (!OpenLockFile(wide, handle) || !TryLockOrClose(handle)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      Raise(errc::kPermissionDenied, "another program holds the lock " + path);
    }
    std::this_thread::sleep_for(kRetryPause);
  }
  return std::make_unique<Win32FileLock>(handle);
}

}  // namespace tamrel::platform::native
