#include "platform/win32/utf16.hpp"

#include <windows.h>

#include <limits>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) Raise(errc::kBadFileName);
  return static_cast<int>(size);
}

// UTF-8 to UTF-16; with `strict`, an invalid sequence fails (empty result,
// `ok` false) instead of being replaced.
std::wstring ToWide(std::string_view text, bool strict, bool& ok) {
  ok = true;
  if (text.empty()) return {};
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int length = CheckedLength(text.size());
  const int needed = MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
  if (needed <= 0) {
    ok = false;
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(CP_UTF8, flags, text.data(), length, wide.data(), needed);
  return wide;
}

}  // namespace

std::wstring WidePath(std::string_view path) {
  bool ok = true;
  std::wstring wide = ToWide(path, true, ok);
  if (!ok) Raise(errc::kBadFileName);
  // A NUL would cut the name short where Windows reads it.
  if (wide.find(L'\0') != std::wstring::npos) Raise(errc::kBadFileName);
  return wide;
}

std::wstring WideText(std::string_view text) {
  bool ok = true;
  return ToWide(text, false, ok);
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const int needed =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string utf8(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr, nullptr);
  return utf8;
}

}  // namespace tamrel::platform::native
