#include "platform/posix/link_resolution.hpp"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_paths.hpp"
#include "platform/posix/posix_errors.hpp"
#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

// As many links as the system itself follows in one path.
constexpr int kMostLinks = 40;

std::string ReadLink(const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = readlink(path.c_str(), target.data(), target.size());
  if (length < 0) RaiseErrno(errno, Subject::kFile);
  target.resize(static_cast<std::size_t>(length));
  return target;
}

std::string CurrentFolder() {
  std::unique_ptr<char, decltype(&free)> folder(getcwd(nullptr, 0), &free);
  if (!folder) RaiseErrno(errno, Subject::kFolder);
  return folder.get();
}

// "/a/./b/../c" as "/a/c", for a folder that does not exist yet.
std::string Normalized(const std::string& absolute) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (from <= absolute.size()) {
    std::size_t slash = absolute.find('/', from);
    if (slash == std::string::npos) slash = absolute.size();
    const std::string part = absolute.substr(from, slash - from);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    from = slash + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

std::string RealFolder(const std::string& folder) {
  std::unique_ptr<char, decltype(&free)> real(realpath(folder.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : Normalized(folder);
}

}  // namespace

std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat info;
    if (current.empty() || lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return current;
    }
    const std::string target = ReadLink(current);
    const std::string folder = detail::ParentFolderName(current);
    current = target.starts_with('/') || folder.empty() ? target : folder + "/" + target;
  }
  Raise(errc::kPathFileAccess, "too many symbolic links: " + path);
}

std::string CanonicalPath(const std::string& path) {
  const std::string absolute = path.starts_with('/') ? path : CurrentFolder() + "/" + path;
  const std::string name = detail::LastPathComponent(absolute);
  if (name.empty() || name == "." || name == "..") return RealFolder(absolute);
  const std::string folder = RealFolder(detail::ParentFolderName(absolute));
  return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace tamrel::platform::native
