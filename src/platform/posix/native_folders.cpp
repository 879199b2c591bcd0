// Folder services of a POSIX desktop: XDG folders stand in for the Windows
// shell's special folders, and the per-user state folder keeps the backup
// copies that Windows keeps in its own folder.
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "platform/native.hpp"
#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

std::string Environment(const char* name) {
  const char* value = getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// $HOME, else the home folder of the user's account.
std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr) {
    return "";
  }
  return found->pw_dir;
}

// $name when it is set to an absolute path, else the home folder + fallback.
std::string XdgFolder(const char* name, const char* home_relative_fallback) {
  std::string folder = Environment(name);
  if (!folder.empty() && folder.front() == '/') return folder;
  std::string home = HomeFolder();
  if (home.empty()) return "";
  return home + home_relative_fallback;
}

std::string SpecialFolder(int32_t csidl) {
  if (csidl != kCsidlAppData) return "";
  return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

// Flushes the entries of `folder` to the disk, as far as the file system
// can; a failure leaves the folder as durable as it was.
void SyncFolderEntries(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Creates `path` and its missing parents, every level made with `mode`.
// Each level made is flushed into its parent, so that a backup copy written
// there later does not vanish with its folder in a power cut.
bool MakeFolders(const std::string& path, mode_t mode) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  std::string::size_type slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), mode)) {
    return false;
  }
  if (mkdir(path.c_str(), mode) != 0) return errno == EEXIST;
  SyncFolderEntries(slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
  return true;
}

// Takes group and other access away from a folder of the process's own
// user; another user's folder is left as it is.
void MakePrivate(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
      (info.st_mode & 077) != 0) {
    chmod(folder.c_str(), info.st_mode & 07700);
  }
}

// The per-user backup folder, made 0700 on first use, with every missing
// level above it, and made private again when found open: backup copies
// hold the user's settings and are nobody else's business. A folder that
// cannot be made is still named, so that writing there fails with a path
// error instead of going to the root folder.
std::string WindowsFolder() {
  std::string state = XdgFolder("XDG_STATE_HOME", "/.local/state");
  if (state.empty()) return "";
  std::string folder = state + "/Tamrel";
  if (!MakeFolders(folder, 0700)) return folder;
  MakePrivate(folder);
  return folder;
}

std::string LongPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return "";
  return resolved;
}

// The folder of the binary that holds this code (the library, or the
// program it is linked into).
std::string LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr) {
    return "";
  }
  std::string binary = LongPath(info.dli_fname);
  if (binary.empty()) binary = info.dli_fname;
  std::string::size_type slash = binary.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : binary.substr(0, slash);
}

bool BrowseWithoutChooser(int32_t, const std::string&, std::string&) {
  Raise(errc::kInvalidArgument,
        "No folder chooser is installed: a host must install one through the platform hooks");
}

// Writeable when a probe file can be created in the folder (and removed).
bool IsFolderWriteable(const std::string& folder, bool) {
  std::string probe = folder;
  if (probe.empty() || probe.back() != '/') probe += '/';
  probe += ".tamrel-probe-XXXXXX";
  int fd = mkstemp(probe.data());
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

}  // namespace

void AddFolderServices(Hooks& hooks) {
  hooks.special_folder = SpecialFolder;
  hooks.windows_folder = WindowsFolder;
  hooks.long_path = LongPath;
  hooks.library_folder = LibraryFolder;
  hooks.browse_for_folder = BrowseWithoutChooser;
  hooks.is_folder_writeable = IsFolderWriteable;
  hooks.file_system = MakeFileBackend();
}

}  // namespace tamrel::platform::native
