// Character tests shared by the numeric and date text readers.
#pragma once

#include <string_view>

namespace tamrel::detail {

// Blanks are what may surround numeric and date text: spaces and tabs.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace tamrel::detail
