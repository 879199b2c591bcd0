// The run-time error numbers that POSIX failures stand for.
#pragma once

#include <cstdint>
#include <string>

namespace tamrel::platform::native {

// What was being done when a call failed: a missing entry means "file not
// found" (53) for a file, "path not found" (76) for a folder.
enum class Subject { kFile, kFolder };

// The run-time error number for `error_number` (an errno value).
int32_t RuntimeErrorFor(int error_number, Subject subject);

// The run-time's description of `number` followed by the cause that
// `error_number` names, where the number alone loses it: "Path/File access
// error: file name too long", "Permission denied: read-only file system".
std::string DescriptionFor(int32_t number, int error_number);

// Raises the run-time error for `error_number`, described by DescriptionFor.
[[noreturn]] void RaiseErrno(int error_number, Subject subject);

}  // namespace tamrel::platform::native
