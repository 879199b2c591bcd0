// FileSystemObject: the file-system operations the library uses, with the
// meanings and error numbers of the scripting run-time's FileSystemObject,
// over a replaceable backend (platform::FileBackend).
//
// Errors are tamrel::Error with the run-time's numbers: 53 file not found,
// 58 file already exists, 70 permission denied (also a read-only file,
// judged from the file's own mode bits, so that it holds for root), 75
// path/file access error, 76 path not found; 61 disk full, 62 input past end
// of file, 54 bad file mode.
//
// Paths use the platform's separator (kPathSeparator), which plays the part
// of the backslash. Text is bytes: what is written is stored unchanged.
//
// Writing replaces a file atomically: the text goes to a temporary file in
// the target's folder, which is made with the identity of the file it
// replaces (permissions, owner and group where the process may set them,
// extended attributes and access control lists) and is at no moment more
// open than that file; it is flushed to disk and renamed over the target,
// after which the folder is flushed. A symbolic link is written through: the
// file it leads to is replaced, in its own folder, and the link stays. A
// reader of the folder sees the old content or the new, never a mixture, and
// a write that fails at any step leaves the old content in place.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/object.hpp"

namespace tamrel {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

namespace platform {

enum class EntryKind { kMissing, kFile, kFolder, kOther };

// What a backend knows of one path.
struct FileStatus {
  EntryKind kind = EntryKind::kMissing;
  // The file's own read-only mark: no write permission for anyone in its mode
  // bits (POSIX), the read-only attribute (Windows).
  bool read_only = false;
  // Platform permission bits, handed back unchanged to SetPermissions.
  uint32_t permissions = 0;
  // Last modification, local time, as an OLE date.
  double modified = 0;
  // Which file or folder this is: two paths that lead to one (hard links,
  // symbolic links, other spellings) have the same device and node. Both 0
  // when the backend cannot tell.
  uint64_t device = 0;
  uint64_t node = 0;
};

// What a new file is made like (FileBackend::CreateTempFile).
struct NewFileModel {
  // An existing file whose identity the new file takes: its permission bits,
  // its owner and group where the process may set them, its extended
  // attributes and so its access control list (on Windows its attributes and
  // security). Ignored when empty or when no file is there.
  std::string like;
  // The permission bits when there is nothing to be like; the platform's
  // default for a new file when not given either.
  std::optional<uint32_t> permissions;
};

// A file being written by a backend. Destroying it closes it if needed,
// ignoring errors.
class TAMREL_EXPORT WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual void Append(std::string_view data) = 0;
  // Flushes what was appended to the disk.
  virtual void Sync() = 0;
  virtual void Close() = 0;
};

// An exclusive lock on a lock file, held until the object is destroyed. The
// system releases it too when the process ends, however it ends, so a crash
// never leaves a stale lock.
class TAMREL_EXPORT FileLock {
 public:
  virtual ~FileLock() = default;
};

// The operating system's file operations under FileSystemObject. Every
// operation raises tamrel::Error with the run-time's error number on failure.
// Implementations: the native backend of the platform, and in tests wrappers
// that record or fail chosen calls.
class TAMREL_EXPORT FileBackend {
 public:
  virtual ~FileBackend() = default;

  // Never raises for a path that does not exist (kind kMissing).
  virtual FileStatus Status(const std::string& path) = 0;
  // Status(path).kind. A backend that can tell the kind for less than the
  // whole status (its date takes a time-zone conversion) overrides it: every
  // FileExists and FolderExists asks only this.
  virtual EntryKind Kind(const std::string& path) { return Status(path).kind; }
  // The names (last component only) of the files directly in `folder`, in the
  // order the file system gives them; folders are not listed. 76 when the
  // folder does not exist.
  virtual std::vector<std::string> ListFiles(const std::string& folder) = 0;
  // One level: 58 when `path` exists, 76 when its parent does not.
  virtual void CreateFolder(const std::string& path) = 0;
  // The whole content. 53 when missing.
  virtual std::string ReadFile(const std::string& path) = 0;
  // The whole content of the file at `path`; nothing, and no error, when no
  // file is there (Kind would not say kFile). Other failures raise as
  // ReadFile's do. By default Kind, then ReadFile; a backend that can tell
  // from opening the file overrides it.
  virtual std::optional<std::string> ReadFileIfExists(const std::string& path) {
    if (Kind(path) != EntryKind::kFile) return std::nullopt;
    return ReadFile(path);
  }
  // Creates a new empty file in `folder` whose name starts with `prefix`,
  // made as `model` says, and sets `temp_path` to its path. The file is at no
  // moment more open than the identity it ends with: it is made private and
  // given that identity before anything is written to it.
  virtual std::unique_ptr<WritableFile> CreateTempFile(const std::string& folder,
                                                       const std::string& prefix,
                                                       std::string& temp_path,
                                                       const NewFileModel& model) = 0;
  // Gives the existing file `existing` the second name `link` (a hard link);
  // 58 when `link` exists. Raises where the file system keeps no links: a
  // caller that needs the second name then copies the file.
  virtual void HardLink(const std::string& existing, const std::string& link) = 0;
  // The path of the file that `path` leads to: symbolic links followed to the
  // end of the chain, a relative link taken from the link's own folder, a
  // dangling link giving the path it names. `path` itself when it is no link.
  // 75 for a chain that does not end.
  virtual std::string ResolveLinks(const std::string& path) = 0;
  // The absolute form of `path`: "." and ".." resolved and the links of its
  // folders followed, so that two spellings of one path give one text. The
  // last component is kept as it is and need not exist.
  virtual std::string CanonicalPath(const std::string& path) = 0;
  virtual void SetPermissions(const std::string& path, uint32_t permissions) = 0;
  // Sets the last-modification time (local OLE date).
  virtual void SetModified(const std::string& path, double modified) = 0;
  // Renames `from` to `to`; 58 when `to` exists (never replaces it).
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  // Renames `from` over `to`, replacing `to` when it exists, in one step.
  virtual void Replace(const std::string& from, const std::string& to) = 0;
  // Removes a file whatever its read-only mark; 53 when missing.
  virtual void RemoveFile(const std::string& path) = 0;
  // Flushes the folder's entries (a rename or a new file) to the disk.
  virtual void SyncFolder(const std::string& folder) = 0;
  // Takes the exclusive lock of the lock file `path`, made when missing with
  // `permissions` (narrowed by the umask), waiting up to `wait_seconds` for
  // another holder, in this or another process, to let go: 70 past that (and
  // only then), 76 when the folder is missing, 75 when the lock file cannot
  // be made or opened otherwise, or is not a plain file (a symbolic link, a
  // pipe: never followed, never waited on). Taking it needs write access to
  // the lock file. Letting go removes the lock file, so nothing is left
  // beside the file once its save is over. The lock is not reentrant: a
  // second Lock of the same file waits for the first.
  virtual std::unique_ptr<FileLock> Lock(const std::string& path, double wait_seconds,
                                         uint32_t permissions) = 0;
};

// The native backend of this platform (one shared instance).
TAMREL_EXPORT std::shared_ptr<FileBackend> NativeFileBackend();

}  // namespace platform

class TextStream;

enum class IOMode { ForReading = 1, ForWriting = 2, ForAppending = 8 };
// Text format of a stream; only ANSI (TristateFalse) text is supported.
enum class Tristate { TristateUseDefault = -2, TristateTrue = -1, TristateFalse = 0 };

// A file, by path. Copies refer to the same file. Operations reach the disk
// each time; nothing is cached.
class TAMREL_EXPORT File {
 public:
  File(std::shared_ptr<platform::FileBackend> backend, std::string path);

  const std::string& Path() const { return path_; }
  // The last component of the path.
  std::string Name() const;
  // Renames the file within its folder. 58 when a file or folder of that name
  // exists there (nothing is replaced), 53 when the file is gone, 52 for a
  // name that is empty or holds a separator.
  void Name(const std::string& new_name);
  // Last modification, local time, as an OLE date.
  double DateLastModified() const;
  // Reading loads the text at once; writing empties the file as far as the
  // stream's user can tell, but the old content stays on disk until Close
  // replaces it (see TextStream). 70 for writing a read-only file.
  TextStream OpenAsTextStream(IOMode mode = IOMode::ForReading,
                              Tristate format = Tristate::TristateFalse) const;
  // Copies the file to `destination`: a folder when it ends with the
  // separator (the copy keeps the name), else the new file's path. The copy
  // keeps the modification time. 58 when the target exists and `overwrite` is
  // false, 70 when it is read-only. Replacement is atomic.
  void Copy(const std::string& destination, bool overwrite = true) const;
  // Deletes the file; not forced, a read-only file is refused with 70.
  void Delete(bool force = false) const;

 private:
  std::shared_ptr<platform::FileBackend> backend_;
  std::string path_;
};

// A folder, by path.
class TAMREL_EXPORT Folder {
 public:
  Folder(std::shared_ptr<platform::FileBackend> backend, std::string path);

  const std::string& Path() const { return path_; }
  std::string Name() const;
  // The files directly in the folder, in the file system's order.
  std::vector<File> Files() const;

 private:
  std::shared_ptr<platform::FileBackend> backend_;
  std::string path_;
};

// A text stream open for reading or for writing; move-only.
//
// Reading: the whole file is read when the stream opens. A line ends at LF
// or CR LF; a lone CR stays in the text.
//
// Writing: Write appends to a temporary file beside the target; Close
// flushes it and puts it in the target's place atomically. A stream
// destroyed without Close, or whose Write or Close failed, leaves the target
// as it was and removes its temporary file.
class TAMREL_EXPORT TextStream {
 public:
  // Streams are opened by File::OpenAsTextStream and
  // FileSystemObject::CreateTextFile; Impl is the library's own.
  struct Impl;
  explicit TextStream(std::unique_ptr<Impl> impl);
  TextStream(TextStream&&) noexcept;
  TextStream& operator=(TextStream&&) noexcept;
  ~TextStream();

  // Reading. ReadLine at the end raises 62; ReadAll gives the rest ("" at
  // the end). Writing operations on a reading stream raise 54.
  bool AtEndOfStream() const;
  std::string ReadLine();
  std::string ReadAll();

  // Writing. Reading operations on a writing stream raise 54.
  void Write(std::string_view text);
  void WriteLine(std::string_view text = "");

  // Ends the stream; for a writing stream this commits the text to the file.
  // Closing again does nothing.
  void Close();

 private:
  // Raises 54 unless the stream is open and reading (or writing).
  void RequireOpenFor(bool reading) const;

  std::unique_ptr<Impl> impl_;
};

// Scripting.FileSystemObject. Made on the file system of the platform hooks
// in force (platform::Current().file_system), or on a given backend.
class TAMREL_EXPORT FileSystemObject : public Object {
 public:
  FileSystemObject();
  explicit FileSystemObject(std::shared_ptr<platform::FileBackend> backend);

  std::string TypeName() const override { return "FileSystemObject"; }

  bool FileExists(const std::string& path) const;
  bool FolderExists(const std::string& path) const;
  // One level: 58 when it exists (as a file or a folder), 76 when the
  // parent is missing. The parent is flushed, so that the new folder is on
  // the disk when CreateFolder returns.
  Folder CreateFolder(const std::string& path);
  // 53 when no file exists at `path`.
  File GetFile(const std::string& path) const;
  // 76 when no folder exists at `path`.
  Folder GetFolder(const std::string& path) const;
  // Text operations on the path, the disk is not consulted. A trailing
  // separator is ignored: the parent of "/a/b/" is "/a", its name "b". The
  // parent of a bare name is "".
  std::string GetParentFolderName(const std::string& path) const;
  std::string GetFileName(const std::string& path) const;
  // A stream writing a new text to `path`: 58 when the file exists and
  // `overwrite` is false, 70 when it is read-only, 76 when its folder is
  // missing. Only ANSI text (`unicode` false) is supported (5 otherwise).
  TextStream CreateTextFile(const std::string& path, bool overwrite = true, bool unicode = false);

  // By name: FileExists, FolderExists, CreateFolder, GetParentFolderName and
  // GetFileName, for callers that pass the object late-bound.
  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;

  const std::shared_ptr<platform::FileBackend>& backend() const { return backend_; }

 private:
  std::shared_ptr<platform::FileBackend> backend_;
};

}  // namespace tamrel
