#include "context_path.hpp"

#include <filesystem>
#include <system_error>

#include "command_table.hpp"
#include "opened_context.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"
#include "utf8_path.hpp"

namespace tamrel::tool {
namespace {

namespace fs = std::filesystem;

// What is at a path, in a user's words; "" for a regular file or nothing.
std::string WhatIsThere(fs::file_type type) {
  switch (type) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
      return "";
    case fs::file_type::directory:
      return "a folder";
    case fs::file_type::symlink:
      return "a symbolic link";
    case fs::file_type::fifo:
      return "a FIFO (named pipe)";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "a special file";
  }
}

// The type of what is at `path` (after links with `status`, of the link
// itself with `symlink_status`); a path that cannot be looked up ends the
// command, naming the system's reason.
template <class StatusOf>
fs::file_type TypeAt(const std::string& path, StatusOf status_of) {
  std::error_code error;
  const fs::file_status status = status_of(PathOf(path), error);
  if (status.type() == fs::file_type::not_found) return fs::file_type::not_found;
  if (error) throw CommandFailure(kExitFailed, "cannot look up " + path + ": " + error.message());
  return status.type();
}

}  // namespace

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) throw CommandFailure(kExitUsage, "FILE is empty: name a context file");
  return TextOf(fs::absolute(PathOf(path)).lexically_normal());
}

std::string ResolvedContextPath(const std::string& path) {
  return platform::Current().file_system->ResolveLinks(AbsolutePath(path));
}

void RequireFileOrNothing(const std::string& path) {
  const fs::file_type type =
      TypeAt(path, [](const fs::path& p, std::error_code& e) { return fs::status(p, e); });
  if (type == fs::file_type::directory) throw CommandFailure(kExitFailed, path + " is a folder");
  const std::string what = WhatIsThere(type);
  if (!what.empty()) {
    throw CommandFailure(kExitFailed, path + " is " + what + ", not a context file");
  }
}

void RequireLockableFile(const std::string& path) {
  const std::string lock = ContextFileLock::LockFileOf(path);
  const std::string what = WhatIsThere(
      TypeAt(lock, [](const fs::path& p, std::error_code& e) { return fs::symlink_status(p, e); }));
  if (what.empty()) return;
  throw CommandFailure(kExitFailed, "the lock file " + lock + " of " + path + " is " + what +
                                        ", not a lock file; nothing was changed");
}

std::string UnwritableFolderCause(const std::string& path) {
  fs::path folder = PathOf(path).parent_path();
  std::error_code error;
  while (!fs::is_directory(folder, error) && folder.has_relative_path()) {
    folder = folder.parent_path();
  }
  if (platform::Current().is_folder_writeable(TextOf(folder), false)) return "";
  return ": the folder " + TextOf(folder) + " cannot be written";
}

}  // namespace tamrel::tool
