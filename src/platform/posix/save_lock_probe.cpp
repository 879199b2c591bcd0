// Whether a save holds a context file's lock, told by asking the kernel
// which write lock would stand in the way of one: no lock is taken.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/folder_watch.hpp"

namespace tamrel::platform::native {

bool SaveHoldsLock(const std::string& lock_file) {
  // Read-only and non-blocking: the probe must not need write access, nor
  // wait on a FIFO planted in the lock file's place.
  const int fd = open(lock_file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;  // no lock file: no save holds it
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;  // the whole file
  const bool held = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  close(fd);
  return held;
}

}  // namespace tamrel::platform::native
