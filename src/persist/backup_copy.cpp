// Where the backup copy of a context file lives: one rule for Save, Load
// and the tool.
#include "tamrel/backup_copy.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_paths.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

// Bounds of the parts of a backup copy's name, in bytes: the name stays well
// within what any file system takes, with room for the generation and
// set-aside suffixes.
constexpr std::size_t kLongestBase = 64;
constexpr std::size_t kLongestExtension = 16;

// FNV-1a, 64 bits: a mark of the path that two files' paths share only by a
// chance too small to matter for the backup copies of one user.
uint64_t PathMark(std::string_view path) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : path) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string Hex(uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (std::size_t i = text.size(); i > 0; --i, value >>= 4) text[i - 1] = kDigits[value & 0xf];
  return text;
}

// At most `bytes` bytes of `text`, never ending inside a UTF-8 sequence.
std::string_view Prefix(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// The path that identifies `file`: absolute, links followed, compared as the
// file system compares names.
std::string IdentifyingPath(const std::string& file) {
  platform::FileBackend& files = *platform::Current().file_system;
  return detail::AsFileSystemCompares(
      files.CanonicalPath(files.ResolveLinks(detail::WithFolder(file))));
}

}  // namespace

std::string BackupCopyPath(const std::string& file) {
  const std::string name = detail::LastPathComponent(file);
  std::string_view base = name;
  std::string_view extension;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && name.size() - dot <= kLongestExtension) {
    base = std::string_view(name).substr(0, dot);
    extension = std::string_view(name).substr(dot);
  }
  std::string copy = platform::Current().windows_folder();
  copy += kPathSeparator;
  copy += Prefix(base, kLongestBase);
  copy += '-';
  copy += Hex(PathMark(IdentifyingPath(file)));
  copy += extension;
  return copy;
}

}  // namespace tamrel
