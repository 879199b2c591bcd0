// What tests do to files the platform's own way, outside the library: the
// read-only mark, a mark that a rewrite must keep, a file's date.
#pragma once

#include <string>

namespace tamrel::testing {

// Sets the platform's read-only mark: no write bit in the mode (POSIX), the
// read-only attribute (Windows).
void MakeReadOnly(const std::string& path);

// Gives `path` a mark that a rewrite of the file must keep: mode 0640 on
// POSIX, the hidden attribute on Windows. HasKeptMark tells whether it is
// still there.
void GiveKeptMark(const std::string& path);
bool HasKeptMark(const std::string& path);

// Sets the last-modification time to a local date and time.
void SetLocalModified(const std::string& path, int year, int month, int day, int hour, int minute);

}  // namespace tamrel::testing
