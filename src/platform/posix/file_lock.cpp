// The lock file on POSIX: `flock` on a descriptor of its own.
#include "platform/file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix/posix_errors.hpp"
#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

constexpr mode_t kLockFileMode = 0666;  // narrowed by the umask
constexpr auto kRetryPause = std::chrono::milliseconds(5);

class PosixFileLock : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  // Closing the last descriptor of the open file releases the lock.
  ~PosixFileLock() override { close(fd_); }
  PosixFileLock(const PosixFileLock&) = delete;
  PosixFileLock& operator=(const PosixFileLock&) = delete;

 private:
  int fd_;
};

// True when the lock was taken, false when another holder has it.
bool TryLock(int fd) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK) return false;
    if (errno != EINTR) RaiseErrno(errno, Subject::kFile);
  }
}

// 70 is kept for a lock held elsewhere: a lock file that may not be made
// (a read-only folder) is an access error.
[[noreturn]] void RaiseCannotOpen(int error) {
  if (error == EACCES || error == EPERM || error == EROFS) {
    Raise(errc::kPathFileAccess, DescriptionFor(errc::kPathFileAccess, error));
  }
  RaiseErrno(error, Subject::kFolder);
}

}  // namespace

std::unique_ptr<FileLock> LockFileExclusively(const std::string& path, double wait_seconds) {
  const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kLockFileMode);
  if (fd < 0) RaiseCannotOpen(errno);
  auto lock = std::make_unique<PosixFileLock>(fd);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(wait_seconds));
  while (!TryLock(fd)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      Raise(errc::kPermissionDenied, "another program holds the lock " + path);
    }
    std::this_thread::sleep_for(kRetryPause);
  }
  return lock;
}

}  // namespace tamrel::platform::native
