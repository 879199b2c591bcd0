// WatchedPaths: where the changes that matter to a context file show: the
// folders to watch and the names in them, found again whenever the file's
// path may lead somewhere else (a folder made, a link pointed elsewhere).
#pragma once

#include <set>
#include <string>
#include <vector>

namespace tamrel::detail {

struct WatchedPaths {
  // The file a save replaces: the path given with its symbolic links
  // followed (as far as they lead, for a dangling one).
  std::string target;
  // The save lock of `target`, whose removal ends a save.
  std::string lock_file;
  // The folder of the path given and that of `target`, or, where one does
  // not exist yet, the nearest existing folder above it.
  std::vector<std::string> folders;
  // The entries in `folders` whose change may change what the path leads
  // to: the file's and the link's names, the lock file's, and the first
  // missing folder on the way.
  std::set<std::string> names;
};

// Works out the paths for `file` as the file system is now. Never raises
// except when memory runs out.
WatchedPaths FindWatchedPaths(const std::string& file);

}  // namespace tamrel::detail
