// The lock file on Windows: `LockFileEx` on a handle of its own.
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

}  // namespace

std::unique_ptr<FileLock> LockFileExclusively(const std::string& path, double wait_seconds) {
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
  auto lock = std::make_unique<Win32FileLock>(handle);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(wait_seconds));
  while (!TryLock(handle)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      Raise(errc::kPermissionDenied, "another program holds the lock " + path);
    }
    std::this_thread::sleep_for(kRetryPause);
  }
  return lock;
}

}  // namespace tamrel::platform::native
