// Where the backup copy of a context file lives.
#pragma once

#include <string>

#include "tamrel/export.hpp"

namespace tamrel {

// The backup copy of the context file `file`: where Save writes it and where
// Load looks for it when `file` is damaged. It is kept in the Windows folder
// (the per-user backup folder, GetWindowsFolder()) and belongs to `file`
// alone: its name is the file's name with a mark of the file's full path
// before the extension, "Setup-1f0c33d7a5e2b96c.tmc", so that two context
// files of one name in different folders (every application's
// UserPreferences.tmc) never share a copy, and a copy is only ever restored
// into the file it was made from. The mark is the same for every spelling of
// one file: a relative path, "..", a symbolic link to it, another letter
// case on Windows. The name is bounded in length: a long file name is
// shortened before the mark. Its generations and set-aside copies are named
// from it as the file's are: "Setup-1f0c33d7a5e2b96c(1).tmc",
// "Setup-1f0c33d7a5e2b96c.tmc_corrupt(1)".
TAMREL_EXPORT std::string BackupCopyPath(const std::string& file);

}  // namespace tamrel
