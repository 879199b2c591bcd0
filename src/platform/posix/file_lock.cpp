// The lock file on POSIX: an open-file-description write lock on a
// descriptor of its own, removed by the holder when it lets go.
#include "platform/file_lock.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix/posix_errors.hpp"
#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(5);

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

class PosixFileLock : public FileLock {
 public:
  PosixFileLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  // Removes the lock file while the lock is still held, so that no other
  // holder can be using it, and only when its name still leads to it.
  // Closing the descriptor then releases the lock; a waiter that had the
  // file open finds its name gone and starts again.
  ~PosixFileLock() override {
    struct stat held, named;
    if (fstat(fd_, &held) == 0 && lstat(path_.c_str(), &named) == 0 && SameFile(held, named)) {
      unlink(path_.c_str());
    }
    close(fd_);
  }
  PosixFileLock(const PosixFileLock&) = delete;
  PosixFileLock& operator=(const PosixFileLock&) = delete;

 private:
  int fd_;
  std::string path_;
};

// True when the lock was taken, false when another holder has it.
bool TryLock(int fd) {
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  for (;;) {
    if (fcntl(fd, F_OFD_SETLK, &whole) == 0) return true;
    if (errno == EAGAIN || errno == EACCES) return false;
    if (errno != EINTR) RaiseErrno(errno, Subject::kFile);
  }
}

// 70 is kept for a lock held elsewhere: a lock file that may not be made
// (a read-only folder) is an access error.
[[noreturn]] void RaiseCannotOpen(int error, const std::string& path) {
  if (error == ELOOP) Raise(errc::kPathFileAccess, "the lock file is a symbolic link: " + path);
  if (error == EISDIR || error == ENXIO || error == ENODEV) {
    Raise(errc::kPathFileAccess, "the lock file is not a plain file: " + path);
  }
  if (error == EACCES || error == EPERM || error == EROFS) {
    Raise(errc::kPathFileAccess, DescriptionFor(errc::kPathFileAccess, error) + ": " + path);
  }
  RaiseErrno(error, Subject::kFolder);
}

// The lock file, open for writing: never through a link, never waiting on a
// pipe, and only a plain file.
int OpenLockFile(const std::string& path, uint32_t permissions) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                      static_cast<mode_t>(permissions));
  if (fd < 0) RaiseCannotOpen(errno, path);
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    Raise(errc::kPathFileAccess, "the lock file is not a plain file: " + path);
  }
  return fd;
}

// Whether `path` still names the file open as `fd`.
bool StillNamed(int fd, const std::string& path) {
  struct stat held, named;
  return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && SameFile(held, named);
}

}  // namespace

std::unique_ptr<FileLock> LockFileExclusively(const std::string& path, double wait_seconds,
                                              uint32_t permissions) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(wait_seconds));
  for (;;) {
    const int fd = OpenLockFile(path, permissions);
    bool taken = false;
    try {
      while (!(taken = TryLock(fd)) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kRetryPause);
      }
    } catch (...) {
      close(fd);
      throw;
    }
    if (taken && StillNamed(fd, path)) return std::make_unique<PosixFileLock>(fd, path);
    close(fd);
    if (!taken || std::chrono::steady_clock::now() >= deadline) {
      Raise(errc::kPermissionDenied, "another program holds the lock " + path);
    }
  }
}

}  // namespace tamrel::platform::native
