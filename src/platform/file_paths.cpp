#include "platform/file_paths.hpp"

#include "automation/ascii_case.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::detail {

std::string_view::size_type LastSeparator(std::string_view path) {
  for (auto i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == kPathSeparator;
#endif
}

std::string_view WithoutTrailingSeparators(std::string_view path) {
  while (path.size() > 1 && IsPathSeparator(path.back())) path.remove_suffix(1);
  return path;
}

std::string ParentFolderName(std::string_view path) {
  std::string_view trimmed = WithoutTrailingSeparators(path);
  const auto separator = LastSeparator(trimmed);
  if (separator == std::string_view::npos || trimmed.size() == 1) return "";
  if (separator == 0) return std::string(1, kPathSeparator);
  return std::string(WithoutTrailingSeparators(trimmed.substr(0, separator)));
}

std::string LastPathComponent(std::string_view path) {
  std::string_view trimmed = WithoutTrailingSeparators(path);
  if (trimmed.size() == 1 && IsPathSeparator(trimmed[0])) return "";
  const auto separator = LastSeparator(trimmed);
  return std::string(separator == std::string_view::npos ? trimmed : trimmed.substr(separator + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !IsPathSeparator(path.back())) path += kPathSeparator;
  path += name;
  return path;
}

std::string AsFileSystemCompares(std::string_view path) {
#ifdef _WIN32
  return AsciiLower(path);
#else
  return std::string(path);
#endif
}

std::string WithFolder(const std::string& path) {
  if (path.empty() || LastSeparator(path) != std::string_view::npos) return path;
  return std::string(".") + kPathSeparator + path;
}

}  // namespace tamrel::detail
