#include "support/native_file.hpp"

#include <windows.h>

#include <stdexcept>

#include "support/win32/wide.hpp"

namespace tamrel::testing {
namespace {

void Require(bool done, const char* what) {
  if (!done) throw std::runtime_error(what);
}

void AddAttribute(const std::string& path, DWORD attribute) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  Require(attributes != INVALID_FILE_ATTRIBUTES, "GetFileAttributesW");
  Require(SetFileAttributesW(wide.c_str(), attributes | attribute) != 0, "SetFileAttributesW");
}

}  // namespace

void MakeReadOnly(const std::string& path) { AddAttribute(path, FILE_ATTRIBUTE_READONLY); }

void SetLocalModified(const std::string& path, int year, int month, int day, int hour, int minute) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  SYSTEMTIME utc{};
  FILETIME time{};
  Require(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) != 0, "local time");
  Require(SystemTimeToFileTime(&utc, &time) != 0, "file time");
  HANDLE file = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  Require(file != INVALID_HANDLE_VALUE, "CreateFileW");
  const bool set = SetFileTime(file, nullptr, nullptr, &time) != 0;
  CloseHandle(file);
  Require(set, "SetFileTime");
}

}  // namespace tamrel::testing
