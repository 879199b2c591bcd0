// Paths between the library's UTF-8 text and std::filesystem. A narrow
// string given to std::filesystem is read in the system's code page on
// Windows, which would mangle every name beyond ASCII; these go through
// UTF-8 on every system.
#pragma once

#include <filesystem>
#include <string>

namespace tamrel::tool {

inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string TextOf(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace tamrel::tool
