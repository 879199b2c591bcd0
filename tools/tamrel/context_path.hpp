// What the tool makes of a FILE given on the command line before the library
// works on it: the file it stands for, and the checks that turn a path the
// library cannot use into a message naming the cause.
#pragma once

#include <string>

namespace tamrel::tool {

// The absolute form of a path given on the command line (a bare name is in
// the current folder); the file and its folders need not exist. An empty
// path ends the command with status 2.
std::string AbsolutePath(const std::string& path);

// The file that saving `path` writes: its absolute form, with a symbolic
// link in its last component followed to its target (a relative target read
// from the link's folder, a link to a link followed on, a dangling link to
// the target it would create), as the library resolves it for the lock, the
// backup copy and the generations (the file system's ResolveLinks).
std::string ResolvedContextPath(const std::string& path);

// Ends the command with status 3, naming the cause, unless `path` is a
// context file or nothing at all: a folder, a FIFO, a device or a socket
// there, or a path that cannot be looked up (a name too long, a folder on
// the way that may not be searched, a loop of symbolic links).
void RequireFileOrNothing(const std::string& path);

// Ends the command with status 3 when the lock file of `path` is there but is
// not a regular file (a folder, a FIFO, a symbolic link): it cannot be a lock
// that another program holds, and waiting on it would be waiting on nothing.
void RequireLockableFile(const std::string& path);

// Why a write of `path` (its lock file, a temporary file, a missing folder)
// may have failed, as ": the folder D cannot be written" for the first
// existing folder on its way when no file can be made there; "" when that is
// not the cause. Asked after a failure only: the check makes and removes a
// probe file.
std::string UnwritableFolderCause(const std::string& path);

}  // namespace tamrel::tool
