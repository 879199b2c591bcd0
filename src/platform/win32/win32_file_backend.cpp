// The Windows file system under FileSystemObject: UTF-16 paths, the
// read-only attribute, atomic replacement by MoveFileExW, and a moment's
// patience with files that another program holds.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/file_lock.hpp"
#include "platform/native.hpp"
#include "platform/read_whole_file.hpp"
#include "platform/win32/local_time.hpp"
#include "platform/win32/utf16.hpp"
#include "platform/win32/win32_errors.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
namespace tamrel::platform::native {
namespace {

constexpr int kTempNameAttempts = 100;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a replaced file hands on to its new content.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Closes a handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now; false when CloseHandle itself fails.
  bool Reset() {
    bool closed = true;
    if (valid()) closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// CreateFileW, waiting a moment for a file that another program holds.
HANDLE OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags = FILE_ATTRIBUTE_NORMAL, SECURITY_ATTRIBUTES* security = nullptr) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const DWORD error = RetryWhileHeld([&] {
    handle = CreateFileW(path.c_str(), access, share, security, disposition, flags, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  if (error != 0) SetLastError(error);
  return handle;
}

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}

  void Append(std::string_view data) override {
    while (!data.empty()) {
      const DWORD chunk =
          static_cast<DWORD>(std::min<std::size_t>(data.size(), std::numeric_limits<DWORD>::max()));
      DWORD written = 0;
      if (!WriteFile(handle_.get(), data.data(), chunk, &written, nullptr)) {
        RaiseLastError(Subject::kFile);
      }
      data.remove_prefix(written);
    }
  }

  void Sync() override {
    if (!FlushFileBuffers(handle_.get())) RaiseLastError(Subject::kFile);
  }

  void Close() override {
    if (handle_.valid() && !handle_.Reset()) RaiseLastError(Subject::kFile);
  }

 private:
  Handle handle_;
};

std::wstring RandomSuffix() {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::random_device random;
  std::wstring suffix;
  for (int i = 0; i < 8; ++i) suffix += kDigits[random() % 16];
  return suffix;
}

// `folder` and a search pattern matching everything in it.
std::wstring EverythingIn(const std::string& folder) {
  std::wstring pattern = WidePath(folder.empty() ? std::string(".") : folder);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  return pattern + L'*';
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// Clears the read-only attribute; gives the attributes to put back, or 0
// when nothing was changed.
DWORD ClearReadOnly(const std::wstring& path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0)
    return 0;
  SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  return attributes;
}

// The access control list of the file at `path` as a self-relative
// security descriptor; empty when it cannot be read (a file system without
// one), and a new file then takes its folder's.
std::vector<char> SecurityOf(const std::wstring& path) {
  constexpr SECURITY_INFORMATION kWanted = DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetFileSecurityW(path.c_str(), kWanted, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<char> descriptor(size);
  if (!GetFileSecurityW(path.c_str(), kWanted, descriptor.data(), size, &size)) return {};
  return descriptor;
}

// The attributes of the entry at `path`; false when there is none. A name
// Windows cannot be given names nothing.
bool FindAttributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (path.empty()) return false;
  try {
    return GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) != 0;
  } catch (const Error&) {
    return false;
  }
}

EntryKind KindOf(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::kFolder
         : (attributes & FILE_ATTRIBUTE_DEVICE) != 0  ? EntryKind::kOther
                                                      : EntryKind::kFile;
}

class Win32FileBackend : public FileBackend {
 public:
  FileStatus Status(const std::string& path) override {
    FileStatus status;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!FindAttributes(path, data)) return status;
    status.kind = KindOf(data.dwFileAttributes);
    status.read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    status.permissions = data.dwFileAttributes & kKeptAttributes;
    status.modified = OleDateFromFileTime(data.ftLastWriteTime);
    return status;
  }

  EntryKind Kind(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return FindAttributes(path, data) ? KindOf(data.dwFileAttributes) : EntryKind::kMissing;
  }

  std::vector<std::string> ListFiles(const std::string& folder) override {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(EverythingIn(folder).c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    std::vector<std::string> names;
    if (search == INVALID_HANDLE_VALUE) {
      // An empty drive root matches nothing at all; a missing folder fails.
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND && Kind(folder) == EntryKind::kFolder) return names;
      RaiseWin32(error, Subject::kFolder);
    }
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        names.push_back(Utf8(found.cFileName));
      }
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) RaiseWin32(error, Subject::kFolder);
    return names;
  }

  void CreateFolder(const std::string& path) override {
    if (!CreateDirectoryW(WidePath(path).c_str(), nullptr)) RaiseLastError(Subject::kFolder);
  }

  std::string ReadFile(const std::string& path) override {
    Handle file(OpenFile(WidePath(path), GENERIC_READ, kShareAll, OPEN_EXISTING));
    if (!file.valid()) RaiseLastError(Subject::kFile);
    LARGE_INTEGER size{};
    const bool sized = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0;
    return ReadWholeFile(
        sized ? static_cast<std::size_t>(size.QuadPart) : 0, [&](char* data, std::size_t room) {
          const DWORD want =
              static_cast<DWORD>(std::min<std::size_t>(room, std::numeric_limits<DWORD>::max()));
          DWORD count = 0;
          if (!::ReadFile(file.get(), data, want, &count, nullptr)) {
            RaiseLastError(Subject::kFile);
          }
          return static_cast<std::size_t>(count);
        });
  }

  // A file made like another is made with that file's access control list
  // (never its folder's, which may be wider) and attributes; one made with
  // given attributes takes them before it is written.
  std::unique_ptr<WritableFile> CreateTempFile(const std::string& folder, const std::string& prefix,
                                               std::string& temp_path,
                                               const NewFileModel& model) override {
    const bool like_file = !model.like.empty() && Kind(model.like) == EntryKind::kFile;
    std::vector<char> descriptor;
    std::optional<DWORD> attributes;
    if (like_file) {
      descriptor = SecurityOf(WidePath(model.like));
      attributes = Status(model.like).permissions & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    } else if (model.permissions) {
      attributes = *model.permissions & kKeptAttributes;
    }
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES),
                                 descriptor.empty() ? nullptr : descriptor.data(), FALSE};
    std::wstring stem = WidePath(folder.empty() ? std::string(".") : folder);
    if (stem.back() != L'\\' && stem.back() != L'/') stem += L'\\';
    stem += WidePath(prefix);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
      const std::wstring candidate = stem + RandomSuffix();
      HANDLE handle =
          OpenFile(candidate, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                   attributes && *attributes != 0 ? *attributes : FILE_ATTRIBUTE_NORMAL, &security);
      if (handle != INVALID_HANDLE_VALUE) {
        // Given once more by name: a system that keeps the list as mode bits
        // (Wine) narrows what the creation asked for by its umask.
        if (!descriptor.empty()) {
          SetFileSecurityW(candidate.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
        }
        temp_path = Utf8(candidate);
        return std::make_unique<Win32WritableFile>(handle);
      }
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        RaiseWin32(error, Subject::kFolder);
      }
    }
    RaiseWin32(ERROR_FILE_EXISTS, Subject::kFile);
  }

  void HardLink(const std::string& existing, const std::string& link) override {
    if (!CreateHardLinkW(WidePath(link).c_str(), WidePath(existing).c_str(), nullptr)) {
      RaiseLastError(Subject::kFile);
    }
  }

  // Symbolic links are rare on Windows and need a privilege to make; a
  // path is taken as the file it names.
  std::string ResolveLinks(const std::string& path) override { return path; }

  std::string CanonicalPath(const std::string& path) override {
    const std::wstring wide = WidePath(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) RaiseLastError(Subject::kFile);
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) RaiseLastError(Subject::kFile);
    full.resize(length);
    return Utf8(full);
  }

  void SetPermissions(const std::string& path, uint32_t permissions) override {
    const DWORD attributes = permissions & kKeptAttributes;
    if (!SetFileAttributesW(WidePath(path).c_str(),
                            attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes)) {
      RaiseLastError(Subject::kFile);
    }
  }

  void SetModified(const std::string& path, double modified) override {
    Handle file(OpenFile(WidePath(path), FILE_WRITE_ATTRIBUTES, kShareAll, OPEN_EXISTING));
    if (!file.valid()) RaiseLastError(Subject::kFile);
    const FILETIME time = FileTimeFromOleDate(modified);
    if (!SetFileTime(file.get(), nullptr, nullptr, &time)) RaiseLastError(Subject::kFile);
  }

  // MoveFileExW without MOVEFILE_REPLACE_EXISTING never replaces a file.
  void Rename(const std::string& from, const std::string& to) override {
    const std::wstring source = WidePath(from), target = WidePath(to);
    const DWORD error =
        RetryWhileHeld([&] { return MoveFileExW(source.c_str(), target.c_str(), 0); },
                       HeldShows::kAlsoAccessDenied);
    if (error != 0) RaiseWin32(error, Subject::kFile);
  }

  // One rename that replaces the target: a reader, or a program ended half
  // way, sees the old content or the new. ReplaceFileW would also keep the
  // replaced file's own security settings, but it works in several steps, and
  // a saver ended between them leaves no file at all (the crash test shows it
  // under Wine); the attributes are handed on by the writer before this.
  void Replace(const std::string& from, const std::string& to) override {
    const std::wstring source = WidePath(from), target = WidePath(to);
    const DWORD error = RetryWhileHeld(
        [&] {
          return MoveFileExW(source.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        },
        HeldShows::kAlsoAccessDenied);
    if (error != 0) RaiseWin32(error, Subject::kFile);
  }

  void RemoveFile(const std::string& path) override {
    const std::wstring target = WidePath(path);
    const DWORD cleared = ClearReadOnly(target);
    const DWORD error = RetryWhileHeld([&] { return DeleteFileW(target.c_str()) != 0; },
                                       HeldShows::kAlsoAccessDenied);
    if (error == 0) return;
    // A file that stays keeps its read-only mark.
    if (cleared != 0) SetFileAttributesW(target.c_str(), cleared);
    RaiseWin32(error, Subject::kFile);
  }

  // Win32 has no flush of a folder's entries for an ordinary user: a new name
  // is as durable as the file system makes it (MoveFileExW is asked to write
  // through).
  void SyncFolder(const std::string& folder) override {
    if (Kind(folder) != EntryKind::kFolder && !folder.empty()) {
      RaiseWin32(ERROR_PATH_NOT_FOUND, Subject::kFolder);
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
  static const std::shared_ptr<FileBackend> backend = std::make_shared<native::Win32FileBackend>();
  return backend;
}

}  // namespace tamrel::platform
