// The run-time error numbers that Win32 failures stand for, and the brief
// patience with files that another program holds for a moment.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tamrel::platform::native {

// What was being done when a call failed: a missing entry means "file not
// found" (53) for a file, "path not found" (76) for a folder.
enum class Subject { kFile, kFolder };

// The run-time error number for `error_code` (a GetLastError value).
int32_t RuntimeErrorFor(uint32_t error_code, Subject subject);

// Raises the run-time error for `error_code`.
[[noreturn]] void RaiseWin32(uint32_t error_code, Subject subject);
// Raises the run-time error for GetLastError().
[[noreturn]] void RaiseLastError(Subject subject);

// True for the failures of a file that another handle holds without sharing
// it (a virus scanner, an indexer, an editor): worth waiting for.
bool IsHeldByAnother(uint32_t error_code);

// How long a call on a held file is retried before its failure stands.
inline constexpr int kHeldFileRetryMilliseconds = 1000;

// How a held file shows. Opening one fails with a sharing violation; renaming
// over one or deleting it fails with "access denied", which a file's own
// security can also give: those calls wait for it too.
enum class HeldShows { kSharingViolation, kAlsoAccessDenied };

// Calls `attempt` (a Win32 call returning true on success) until it succeeds,
// fails for a reason other than a held file, or the retry window is over.
// Returns the last error code, 0 on success.
template <class Attempt>
uint32_t RetryWhileHeld(Attempt&& attempt, HeldShows shows = HeldShows::kSharingViolation) {
  constexpr DWORD kPause = 25;
  const ULONGLONG deadline = GetTickCount64() + kHeldFileRetryMilliseconds;
  for (;;) {
    if (attempt()) return 0;
    const DWORD error = GetLastError();
    const bool held = IsHeldByAnother(error) ||
                      (shows == HeldShows::kAlsoAccessDenied && error == ERROR_ACCESS_DENIED);
    if (!held || GetTickCount64() >= deadline) return error;
    Sleep(kPause);
  }
}

}  // namespace tamrel::platform::native
