// Text substitution for tests that put a run's own paths into expected texts.
#pragma once

#include <string>
#include <string_view>

namespace tamrel::testing {

// `text` with every `token` replaced by `value`, left to right; a
// replacement is not searched again.
inline std::string ReplaceAll(std::string text, std::string_view token, std::string_view value) {
  for (auto at = text.find(token); at != std::string::npos;
       at = text.find(token, at + value.size())) {
    text.replace(at, token.size(), value);
  }
  return text;
}

}  // namespace tamrel::testing
