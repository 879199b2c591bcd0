// The POSIX file system under FileSystemObject.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/file_lock.hpp"
#include "platform/native.hpp"
#include "platform/posix/file_identity.hpp"
#include "platform/posix/link_resolution.hpp"
#include "platform/posix/local_time.hpp"
#include "platform/posix/posix_errors.hpp"
#include "platform/read_whole_file.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::platform::native {
namespace {

constexpr mode_t kNewFileMode = 0666;    // narrowed by the umask
constexpr mode_t kNewFolderMode = 0777;  // narrowed by the umask
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr int kTempNameAttempts = 100;

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up the descriptor without closing it.
  void Release() { fd_ = -1; }
  // Closes now and reports the failure of close itself.
  int Reset() {
    int result = 0;
    if (fd_ >= 0) result = close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}

  void Append(std::string_view data) override {
    while (!data.empty()) {
      ssize_t written = write(fd_.get(), data.data(), data.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        RaiseErrno(errno, Subject::kFile);
      }
      data.remove_prefix(static_cast<size_t>(written));
    }
  }

  void Sync() override {
    if (fsync(fd_.get()) != 0) RaiseErrno(errno, Subject::kFile);
  }

  void Close() override {
    if (fd_.valid() && fd_.Reset() != 0) RaiseErrno(errno, Subject::kFile);
  }

 private:
  FileDescriptor fd_;
};

bool IsRegularFile(int folder_fd, const struct dirent& entry) {
  if (entry.d_type == DT_REG) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  struct stat info;
  return fstatat(folder_fd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

std::string RandomSuffix() {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::random_device random;
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix += kDigits[random() % 16];
  return suffix;
}

// Renames without replacing where the kernel and file system can promise it;
// otherwise by a hard link, which fails when the target exists.
void RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) RaiseErrno(errno, Subject::kFile);
  if (link(from.c_str(), to.c_str()) != 0) RaiseErrno(errno, Subject::kFile);
  if (unlink(from.c_str()) != 0) {
    const int error = errno;
    unlink(to.c_str());
    RaiseErrno(error, Subject::kFile);
  }
}

EntryKind KindOf(const struct stat& info) {
  return S_ISREG(info.st_mode)   ? EntryKind::kFile
         : S_ISDIR(info.st_mode) ? EntryKind::kFolder
                                 : EntryKind::kOther;
}

// The content of the open file `fd`, `length` bytes long as last seen (0
// when not known).
std::string ReadOpenFile(const FileDescriptor& fd, std::size_t length) {
  return ReadWholeFile(length, [&](char* data, std::size_t room) {
    for (;;) {
      const ssize_t count = read(fd.get(), data, room);
      if (count >= 0) return static_cast<std::size_t>(count);
      if (errno != EINTR) RaiseErrno(errno, Subject::kFile);
    }
  });
}

class PosixFileBackend : public FileBackend {
 public:
  FileStatus Status(const std::string& path) override {
    FileStatus status;
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0) return status;
    status.kind = KindOf(info);
    status.read_only = (info.st_mode & kAnyWriteBit) == 0;
    status.permissions = info.st_mode & 07777;
    status.modified = OleDateFromTime(info.st_mtim);
    status.device = info.st_dev;
    status.node = info.st_ino;
    return status;
  }

  EntryKind Kind(const std::string& path) override {
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0) return EntryKind::kMissing;
    return KindOf(info);
  }

  std::vector<std::string> ListFiles(const std::string& folder) override {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) RaiseErrno(errno, Subject::kFolder);
    std::vector<std::string> names;
    while (const struct dirent* entry = readdir(dir)) {
      if (IsRegularFile(dirfd(dir), *entry)) names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
  }

  void CreateFolder(const std::string& path) override {
    if (mkdir(path.c_str(), kNewFolderMode) != 0) RaiseErrno(errno, Subject::kFolder);
  }

  std::string ReadFile(const std::string& path) override {
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) RaiseErrno(errno, Subject::kFile);
    struct stat info {};
    const bool sized = fstat(fd.get(), &info) == 0 && info.st_size > 0;
    return ReadOpenFile(fd, sized ? static_cast<std::size_t>(info.st_size) : 0);
  }

  // One open instead of a look for the file and then the open. The open
  // does not wait: a pipe at the path, which is not a file and is left
  // unread, must not hold it up.
  std::optional<std::string> ReadFileIfExists(const std::string& path) override {
    FileDescriptor fd(path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
      const int error = errno;
      if (Kind(path) != EntryKind::kFile) return std::nullopt;
      RaiseErrno(error, Subject::kFile);
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) RaiseErrno(errno, Subject::kFile);
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    // Read as ReadFile reads: some file systems hand the flag on to their
    // reads, which could then answer that they would wait.
    if (fcntl(fd.get(), F_SETFL, 0) != 0) RaiseErrno(errno, Subject::kFile);
    return ReadOpenFile(fd, static_cast<std::size_t>(info.st_size));
  }

  std::unique_ptr<WritableFile> CreateTempFile(const std::string& folder, const std::string& prefix,
                                               std::string& temp_path,
                                               const NewFileModel& model) override {
    const bool like_file = !model.like.empty() && Kind(model.like) == EntryKind::kFile;
    // Made with no permission at all when it is to be given some: the
    // umask cannot widen a mode, and the descriptor writes all the same.
    const mode_t creation_mode = like_file || model.permissions ? 0 : kNewFileMode;
    const std::string stem = (folder.empty() ? std::string(".") : folder) + "/" + prefix;
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
      std::string candidate = stem + RandomSuffix();
      FileDescriptor fd(open(candidate.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, creation_mode));
      if (!fd.valid()) {
        if (errno != EEXIST) RaiseErrno(errno, Subject::kFolder);
        continue;
      }
      try {
        if (like_file) {
          TakeIdentity(fd.get(), model.like);
        } else if (model.permissions &&
                   fchmod(fd.get(), static_cast<mode_t>(*model.permissions)) != 0) {
          RaiseErrno(errno, Subject::kFile);
        }
      } catch (...) {
        unlink(candidate.c_str());
        throw;
      }
      temp_path = candidate;
      const int open_fd = fd.get();
      fd.Release();
      return std::make_unique<PosixWritableFile>(open_fd);
    }
    RaiseErrno(EEXIST, Subject::kFile);
  }

  void HardLink(const std::string& existing, const std::string& link_path) override {
    if (link(existing.c_str(), link_path.c_str()) != 0) RaiseErrno(errno, Subject::kFile);
  }

  std::string ResolveLinks(const std::string& path) override { return native::ResolveLinks(path); }

  std::string CanonicalPath(const std::string& path) override {
    return native::CanonicalPath(path);
  }

  void SetPermissions(const std::string& path, uint32_t permissions) override {
    if (chmod(path.c_str(), static_cast<mode_t>(permissions)) != 0) {
      RaiseErrno(errno, Subject::kFile);
    }
  }

  void SetModified(const std::string& path, double modified) override {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = TimeFromOleDate(modified);
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) RaiseErrno(errno, Subject::kFile);
  }

  void Rename(const std::string& from, const std::string& to) override {
    RenameNoReplace(from, to);
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (rename(from.c_str(), to.c_str()) != 0) RaiseErrno(errno, Subject::kFile);
  }

  void RemoveFile(const std::string& path) override {
    if (unlink(path.c_str()) != 0) RaiseErrno(errno, Subject::kFile);
  }

  void SyncFolder(const std::string& folder) override {
    FileDescriptor fd(
        open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) RaiseErrno(errno, Subject::kFolder);
    // Some file systems cannot flush a folder; their entries are as durable
    // as they get.
    if (fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
      RaiseErrno(errno, Subject::kFolder);
    }
  }

  std::unique_ptr<FileLock> Lock(const std::string& path, double wait_seconds,
                                 uint32_t permissions) override {
    return LockFileExclusively(path, wait_seconds, permissions);
  }
};

}  // namespace

std::shared_ptr<FileBackend> MakeFileBackend() { return NativeFileBackend(); }

}  // namespace tamrel::platform::native

namespace tamrel::platform {

std::shared_ptr<FileBackend> NativeFileBackend() {
  static const std::shared_ptr<FileBackend> backend = std::make_shared<native::PosixFileBackend>();
  return backend;
}

}  // namespace tamrel::platform
