// The native lock file of each platform, behind FileBackend::Lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tamrel/filesystem.hpp"

namespace tamrel::platform::native {

// Takes the exclusive lock of the lock file `path`, made when missing with
// `permissions` (narrowed by the umask), trying again every few milliseconds
// for up to `wait_seconds`; raises 70 when another holder keeps it past
// that, 76 for a missing folder and 75 for a lock file that cannot be made or
// opened otherwise, or that is not a plain file. The lock belongs to one open
// handle, so that two holders in one process exclude each other as two
// processes do, and the system drops it with the handle when the process
// ends. Letting go removes the lock file.
//
// POSIX: an open-file-description write lock (fcntl), which needs the file
// open for writing, on a file opened without following a link and without
// waiting; after the lock is taken, the name must still lead to the locked
// file (a holder that let go removed it), else it starts again. Windows: a
// file opened for deletion when its last handle closes, locked with
// `LockFileEx`.
std::unique_ptr<FileLock> LockFileExclusively(const std::string& path, double wait_seconds,
                                              uint32_t permissions);

}  // namespace tamrel::platform::native
