// Where the backup copy of a context file lives: one rule for Save, Load
// and the tool.
#include "platform/file_paths.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"

namespace tamrel {

std::string BackupCopyPath(const std::string& file) {
  return GetWindowsFolder() + kPathSeparator + detail::LastPathComponent(file);
}

}  // namespace tamrel
