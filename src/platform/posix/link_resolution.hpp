// Paths through symbolic links on POSIX.
#pragma once

#include <string>

namespace tamrel::platform::native {

// The path of the file `path` leads to: links followed to the end of the
// chain, a relative link read from its own folder, a dangling link giving
// the path it names. 75 past 40 links (a loop).
std::string ResolveLinks(const std::string& path);

// The absolute form of `path`: made absolute from the current folder, its
// folder part resolved by the system ("." and "..", links) when that folder
// exists, else lexically. The last component is kept.
std::string CanonicalPath(const std::string& path);

}  // namespace tamrel::platform::native
