// Letter case of ASCII text, the only case the library ever folds: member
// names, the root element "context", file-cycle names and control
// parameters. Bytes outside A-Z (UTF-8 included) are left as they are.
#pragma once

#include <string>
#include <string_view>

namespace tamrel::detail {

inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace tamrel::detail
