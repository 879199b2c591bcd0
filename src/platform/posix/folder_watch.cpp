// FolderWatch on Linux: an inotify instance for the folders and a timerfd,
// both in one epoll set whose descriptor is the handle.
#include "platform/folder_watch.hpp"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <set>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

// What a save, a deletion, a rename or a restore does to an entry; plain
// writes (IN_MODIFY) are left out, so a file written in place is looked at
// once it is closed, never halfway.
constexpr uint32_t kEntryEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB;
constexpr uint32_t kFolderEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// A descriptor closed when it goes.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void RaiseWatchFailure(int error, const char* what) {
  if (error == EMFILE || error == ENFILE || error == ENOSPC) {
    Raise(errc::kPermissionDenied,
          std::string("the system's limit on ") + what +
              " is reached (see /proc/sys/fs/inotify/max_user_instances and max_user_watches)");
  }
  Raise(errc::kPathFileAccess, std::string("cannot watch for changes: ") + std::strerror(error));
}

int Checked(int fd, const char* what) {
  if (fd < 0) RaiseWatchFailure(errno, what);
  return fd;
}

class InotifyWatch final : public FolderWatch {
 public:
  InotifyWatch()
      : epoll_(Checked(epoll_create1(EPOLL_CLOEXEC), "open files")),
        inotify_(Checked(inotify_init1(IN_NONBLOCK | IN_CLOEXEC), "inotify instances")),
        timer_(Checked(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC), "timers")) {
    for (int fd : {inotify_.get(), timer_.get()}) {
      epoll_event event = {};
      event.events = EPOLLIN;
      event.data.fd = fd;
      if (epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0) {
        RaiseWatchFailure(errno, "watches");
      }
    }
  }

  void Watch(const std::vector<std::string>& folders) override {
    const std::set<std::string> wanted(folders.begin(), folders.end());
    for (auto it = watches_.begin(); it != watches_.end();) {
      if (wanted.contains(it->second)) {
        ++it;
      } else {
        inotify_rm_watch(inotify_.get(), it->first);
        it = watches_.erase(it);
      }
    }
    for (const std::string& folder : wanted) {
      if (IsWatched(folder)) continue;
      const int wd =
          inotify_add_watch(inotify_.get(), folder.c_str(), kEntryEvents | kFolderEvents);
      if (wd >= 0) {
        watches_[wd] = folder;
      } else if (errno == ENOSPC) {
        RaiseWatchFailure(errno, "inotify watches");
      }
    }
  }

  std::vector<std::string> TakeChanges() override {
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
      const ssize_t size = read(inotify_.get(), buffer, sizeof buffer);
      if (size <= 0) break;  // EAGAIN: nothing more for now
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        Take(*event, names);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return names;
  }

  void StartTimer(std::chrono::milliseconds delay) override {
    itimerspec when = {};
    // Zero would disarm the timer: the earliest time is a nanosecond away.
    const auto nanoseconds = std::max<int64_t>(1, delay.count() * 1'000'000);
    when.it_value.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
    when.it_value.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    timerfd_settime(timer_.get(), 0, &when, nullptr);
  }

  bool TimerDue() override {
    uint64_t expirations = 0;
    return read(timer_.get(), &expirations, sizeof expirations) == sizeof expirations;
  }

  intptr_t Handle() const override { return epoll_.get(); }

  bool WaitReady(std::chrono::milliseconds timeout) override {
    pollfd ready = {epoll_.get(), POLLIN, 0};
    const int millis = static_cast<int>(std::min<int64_t>(timeout.count(), INT_MAX));
    int result;
    do {
      result = poll(&ready, 1, std::max(0, millis));
    } while (result < 0 && errno == EINTR);
    return result > 0;
  }

 private:
  bool IsWatched(const std::string& folder) const {
    for (const auto& [wd, path] : watches_) {
      if (path == folder) return true;
    }
    return false;
  }

  void Take(const inotify_event& event, std::vector<std::string>& names) {
    if (event.mask & IN_Q_OVERFLOW) {
      names.emplace_back();
      return;
    }
    if (event.mask & IN_IGNORED) {
      // A watch dropped here was let go on purpose; any other, by the system.
      if (watches_.erase(event.wd) > 0) names.emplace_back();
      return;
    }
    if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
      // The folder is gone from its path: a folder made there later is
      // another one, to be watched afresh.
      if (watches_.erase(event.wd) > 0) inotify_rm_watch(inotify_.get(), event.wd);
      names.emplace_back();
      return;
    }
    if (event.len > 0) names.emplace_back(event.name);
  }

  Fd epoll_;
  Fd inotify_;
  Fd timer_;
  std::map<int, std::string> watches_;  // watch descriptor -> folder
};

}  // namespace

std::unique_ptr<FolderWatch> OpenFolderWatch() { return std::make_unique<InotifyWatch>(); }

}  // namespace tamrel::platform::native
