// Texts across the Win32 boundary: the library's UTF-8 strings become UTF-16
// for the ...W calls, and what Windows gives back becomes UTF-8 again.
#pragma once

#include <string>
#include <string_view>

namespace tamrel::platform::native {

// `path` as UTF-16. Raises 52 (bad file name) when it is not valid UTF-8:
// such a name cannot be handed to Windows without changing it.
std::wstring WidePath(std::string_view path);
// `text` as UTF-16, an invalid UTF-8 sequence becoming U+FFFD: for titles and
// prompts, where a damaged character must not stop the message.
std::wstring WideText(std::string_view text);
// `text` (UTF-16 from Windows) as UTF-8.
std::string Utf8(std::wstring_view text);

}  // namespace tamrel::platform::native
