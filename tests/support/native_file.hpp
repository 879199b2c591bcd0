// What tests do to files the platform's own way, outside the library: the
// read-only mark, a file's date.
#pragma once

#include <string>

namespace tamrel::testing {

// Sets the platform's read-only mark: no write bit in the mode (POSIX), the
// read-only attribute (Windows).
void MakeReadOnly(const std::string& path);

// Sets the last-modification time to a local date and time.
void SetLocalModified(const std::string& path, int year, int month, int day, int hour, int minute);

}  // namespace tamrel::testing
