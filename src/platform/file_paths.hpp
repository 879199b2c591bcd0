// Path texts as the run-time's FileSystemObject splits them. Pure text
// operations: the disk is never consulted.
#pragma once

#include <string>
#include <string_view>

namespace tamrel::detail {

// True for the platform's path separator (on Windows also for '/').
bool IsPathSeparator(char c);

// The position of the last separator in `path`, npos when it has none.
std::string_view::size_type LastSeparator(std::string_view path);

// The path without trailing separators; a path made only of separators
// keeps its first.
std::string_view WithoutTrailingSeparators(std::string_view path);

// The folder part of `path`: "/a/b" for "/a/b/c" and for "/a/b/c/", "/" for
// "/a", "" for a bare name.
std::string ParentFolderName(std::string_view path);

// The last component of `path`: "c" for "/a/b/c" and for "/a/b/c/", "" for
// "/".
std::string LastPathComponent(std::string_view path);

// `folder` and `name` joined by one separator; `name` alone when `folder` is
// empty.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tamrel::detail
