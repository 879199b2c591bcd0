// The native lock file of each platform, behind FileBackend::Lock.
#pragma once

#include <memory>
#include <string>

#include "tamrel/filesystem.hpp"

namespace tamrel::platform::native {

// Takes the exclusive lock of the lock file `path` (created when missing),
// trying again every few milliseconds for up to `wait_seconds`; raises 70
// when another holder keeps it past that, 76 for a missing folder and 75
// for a lock file that cannot be made or opened otherwise. POSIX: `flock`;
// Windows: `LockFileEx`. Either way the lock belongs to one open handle, so
// that two holders in one process exclude each other as two processes do,
// and the system drops it with the handle when the process ends.
std::unique_ptr<FileLock> LockFileExclusively(const std::string& path, double wait_seconds);

}  // namespace tamrel::platform::native
