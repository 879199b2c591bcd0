// The application's own configuration folder, and MakeFolder, which creates
// a folder with every missing level above it.
#include <string>

#include "automation/application_title.hpp"
#include "persist/context_state.hpp"
#include "platform/file_paths.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"

namespace tamrel {
namespace {

std::string WithTrailingSeparator(std::string path) {
  if (path.empty() || !detail::IsPathSeparator(path.back())) path += kPathSeparator;
  return path;
}

// The title as a folder name: a "/" in it would otherwise split it.
std::string FolderNameOfTitle(std::string title) {
  for (char& c : title) {
    if (c == '/') c = '-';
  }
  return title;
}

}  // namespace

std::string ContextCls::GetApplicationConfigLocation() {
  HostApplication& host = detail::Host(*state_);
  host.WriteLog("Initialize application folder location");
  // The folder name gets its own separator even when it ends in one or is
  // empty.
  const std::string path = WithTrailingSeparator(GetSpecialfolder(kCsidlAppData)) +
                           FolderNameOfTitle(detail::CurrentApplicationTitle()) + kPathSeparator;
  FileSystemObject fso;
  if (fso.FolderExists(path)) {
    host.WriteLog("Application folder location exists: " + path);
  } else {
    MakeFolder(fso, path);
    host.WriteLog("Application folder location created: " + path);
  }
  return path;
}

// Climbs until a level exists, then creates the missing levels top-down on
// the way back. `path` itself is not checked: an existing folder makes
// CreateFolder raise 58.
bool ContextCls::MakeFolder(FileSystemObject& fso, const std::string& path) {
  std::string level = path;
  if (!level.empty() && detail::IsPathSeparator(level.back())) level.pop_back();
  const auto separator = detail::LastSeparator(level);
  if (separator == std::string::npos) Raise(errc::kInvalidArgument);
  const std::string parent = level.substr(0, separator);
  if (fso.FolderExists(parent) || MakeFolder(fso, parent)) {
    fso.CreateFolder(path);
    return true;
  }
  return false;
}

}  // namespace tamrel
