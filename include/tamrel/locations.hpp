// Folder services: special folders, the Windows folder (where backup copies
// of context files are kept), long paths and the folder chooser. They go to
// the platform hooks (tamrel/platform.hpp).
//
// On POSIX: special folder 26 (application data) is $XDG_CONFIG_HOME, else
// ~/.config; other numbers give "". The Windows folder is the per-user backup
// folder $XDG_STATE_HOME/Tamrel (default ~/.local/state/Tamrel), created with
// mode 0700 on first use. The long path is the canonical path of an existing
// path, else "". The environment is read at each call.
#pragma once

#include <cstdint>
#include <string>

#include "tamrel/export.hpp"
#include "tamrel/platform.hpp"  // kCsidlAppData

namespace tamrel {

// MGetSpecialfolder: the path of special folder `CSIDL`, or "" when unknown.
TAMREL_EXPORT std::string GetSpecialfolder(int32_t CSIDL);
// MGetWindowsFolder: the Windows folder, or "" when the platform cannot say.
TAMREL_EXPORT std::string GetWindowsFolder();
// mGetLongPathName: the long form of an existing path, "" when it cannot be
// resolved, `path` itself when the platform call raises. Never raises.
TAMREL_EXPORT std::string GetLongPath(const std::string& path);
// mBrowseForFolders: shows the modal chooser; true with `folder` set when a
// file-system folder was chosen, false with `folder` untouched otherwise.
TAMREL_EXPORT bool BrowseForFolder(int32_t ownerWindow, const std::string& title,
                                   std::string& folder);
}  // namespace tamrel
