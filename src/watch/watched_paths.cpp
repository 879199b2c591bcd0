// FindWatchedPaths: the folders and names that a context file's changes
// show in, by the path as given and by the file it leads to.
#include "watch/watched_paths.hpp"

#include <filesystem>
#include <system_error>

namespace tamrel::detail {
namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 text in the library; a narrow string would be read in the
// system's code page on Windows.
fs::path PathOf(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string TextOf(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Links within links: as many as the system itself follows.
constexpr int kMaxLinks = 40;

fs::path Absolute(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  return (error ? path : absolute).lexically_normal();
}

// `path` with every symbolic link followed, also a dangling one (to where it
// would lead) and links of the folders above.
fs::path Followed(fs::path path) {
  std::error_code error;
  for (int link = 0; link < kMaxLinks && fs::is_symlink(path, error); ++link) {
    const fs::path points_to = fs::read_symlink(path, error);
    if (error) break;
    path = Absolute(path.parent_path() / points_to);
  }
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path : canonical;
}

// Adds the folder of `entry`, or the nearest existing one above it, with
// the name in it that leads on to `entry`.
void AddFolderOf(const fs::path& entry, WatchedPaths& paths) {
  std::error_code error;
  fs::path leads_on = entry;
  fs::path folder = entry.parent_path();
  while (!fs::is_directory(folder, error) && folder.has_relative_path()) {
    leads_on = folder;
    folder = folder.parent_path();
  }
  paths.folders.push_back(TextOf(folder));
  paths.names.insert(TextOf(leads_on.filename()));
}

}  // namespace

WatchedPaths FindWatchedPaths(const std::string& file) {
  const fs::path given = Absolute(PathOf(file));
  const fs::path target = Followed(given);
  WatchedPaths paths;
  paths.target = TextOf(target);
  paths.lock_file = paths.target + ".lock";
  AddFolderOf(given, paths);
  if (target != given) AddFolderOf(target, paths);
  paths.names.insert(TextOf(given.filename()));
  paths.names.insert(TextOf(target.filename()));
  paths.names.insert(TextOf(target.filename()) + ".lock");
  return paths;
}

}  // namespace tamrel::detail
