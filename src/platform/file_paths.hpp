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

// `path` as the file system compares names: in lower case (ASCII) where
// names ignore letter case (Windows), unchanged where they do not.
std::string AsFileSystemCompares(std::string_view path);

// A path with a folder: a bare file name is the file in the current folder,
// "./name" (".\name" on Windows); other paths are returned unchanged.
std::string WithFolder(const std::string& path);

}  // namespace tamrel::detail
