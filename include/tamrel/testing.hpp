// Testing a host's settings code against the disk: power cuts, full disks,
// denied renames, without root, loop devices or a real disk to fill.
//
// Three file backends, each installed for the current thread with
// platform::Scope, so that every FileSystemObject the library makes (and
// so every Load and Save) works on it:
//
//   auto disk = std::make_shared<tamrel::testing::MemoryDisk>();
//   tamrel::platform::Scope scope(tamrel::testing::MemoryDisk::Hooks(disk));
//
// MemoryDisk       an in-memory disk that keeps only what was flushed and
//                  can cut the power at any call;
// FaultInjectingBackend
//                  fails chosen calls of another backend (the native one
//                  by default) with chosen error numbers;
// FileBackendWrapper
//                  the base of both kinds of wrapper: forwards every call.
//
// Target tamrel::testing (a static library over the public interface); for
// tests, not for the programs a host ships.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {

// A backend that forwards every call, those FileBackend gives a default
// for (Kind, ReadFileIfExists) included, to an inner backend. Derive from
// it and override only the calls to change: every other call then takes
// exactly the inner backend's own path, as it does in production.
class FileBackendWrapper : public platform::FileBackend {
 public:
  // The path parameter of every call.
  using Path = const std::string&;

  explicit FileBackendWrapper(
      std::shared_ptr<platform::FileBackend> inner = platform::NativeFileBackend());

  platform::FileStatus Status(Path path) override;
  platform::EntryKind Kind(Path path) override;
  std::vector<std::string> ListFiles(Path folder) override;
  void CreateFolder(Path path) override;
  std::string ReadFile(Path path) override;
  std::optional<std::string> ReadFileIfExists(Path path) override;
  std::unique_ptr<platform::WritableFile> CreateTempFile(
      Path folder, Path prefix, std::string& temp_path,
      const platform::NewFileModel& model) override;
  void HardLink(Path existing, Path link) override;
  std::string ResolveLinks(Path path) override;
  std::string CanonicalPath(Path path) override;
  void SetPermissions(Path path, uint32_t permissions) override;
  void SetModified(Path path, double modified) override;
  void Rename(Path from, Path to) override;
  void Replace(Path from, Path to) override;
  void RemoveFile(Path path) override;
  void SyncFolder(Path folder) override;
  std::unique_ptr<platform::FileLock> Lock(Path path, double wait_seconds,
                                           uint32_t permissions) override;

 private:
  std::shared_ptr<platform::FileBackend> inner_;
};

// The calls FaultInjectingBackend can fail; kAppend, kSync and kClose are
// those of a file CreateTempFile made, kStatus covers Kind, kReadFile covers
// ReadFileIfExists.
// clang-format off
enum class FileOp {
  kStatus, kListFiles, kCreateFolder, kReadFile, kCreateTempFile, kAppend, kSync, kClose,
  kSetPermissions, kSetModified, kRename, kReplace, kRemoveFile, kSyncFolder, kLock, kHardLink
};
// clang-format on

// Forwards to an inner backend and fails the calls a rule names, before they
// reach it. A failing Append writes the first half of its data first, as a
// write that runs out of room half-way does.
class FaultInjectingBackend : public FileBackendWrapper {
 public:
  explicit FaultInjectingBackend(
      std::shared_ptr<platform::FileBackend> inner = platform::NativeFileBackend());

  // Hooks that install `backend` as the file system (all other hooks are
  // those in force).
  static platform::Hooks Hooks(std::shared_ptr<FaultInjectingBackend> backend);

  // Fails the next `times` calls of `op` whose path contains `path_part`
  // with error `number`, then lets them pass. The path is the call's own;
  // a rename's and a replacement's is `from` and `to` respectively, a hard
  // link's the new name, a new file's its folder and prefix joined by '/'.
  void FailTimes(FileOp op, int times, int32_t number, std::string path_part = "");

  platform::FileStatus Status(Path path) override;
  platform::EntryKind Kind(Path path) override;
  std::vector<std::string> ListFiles(Path folder) override;
  void CreateFolder(Path path) override;
  std::string ReadFile(Path path) override;
  std::optional<std::string> ReadFileIfExists(Path path) override;
  std::unique_ptr<platform::WritableFile> CreateTempFile(
      Path folder, Path prefix, std::string& temp_path,
      const platform::NewFileModel& model) override;
  void HardLink(Path existing, Path link) override;
  void SetPermissions(Path path, uint32_t permissions) override;
  void SetModified(Path path, double modified) override;
  void Rename(Path from, Path to) override;
  void Replace(Path from, Path to) override;
  void RemoveFile(Path path) override;
  void SyncFolder(Path folder) override;
  std::unique_ptr<platform::FileLock> Lock(Path path, double wait_seconds,
                                           uint32_t permissions) override;

 private:
  class FailingFile;  // a file being written whose calls the rules may fail
  struct Rule {
    FileOp op;
    std::string path_part;
    int calls_to_fail;
    int32_t number;
  };

  // Raises when a rule says this call fails.
  void Check(FileOp op, Path path);

  std::vector<Rule> rules_;
};

// An in-memory file system that knows what has reached the disk and can cut
// the power.
//
// Like a real disk with a cache, it keeps two states. What the program sees
// changes at every call. What survives a power cut changes only by flushes:
// a file's Sync makes its content, permissions and date durable; a folder's
// SyncFolder makes its entries durable (names created, renamed or deleted,
// including those of its subfolders). A new folder therefore survives only
// once its parent is flushed, and a file renamed into place only once its
// folder is.
//
// CutPowerAtCall(n) freezes the durable state as it is just before the n-th
// backend call from now on (0: before the next call); the program runs on
// unaware. Reboot() then throws away everything not durable at the cut, as
// the disk would hold it after the power came back. Calls are counted
// whether they succeed or fail; those of a file being written count too.
//
// Calls give the native backends' error numbers, and permissions mean what
// they mean to the native backend: a file is read-only without a write bit
// on POSIX, with the read-only attribute (0x1) on Windows. Paths are absolute,
// separated by '/' or '\\' (both are taken). A file may have several names
// (hard links); there are no symbolic links, so a path leads to itself. The
// disk is for one thread: a Lock of a lock file already held raises 70 at
// once, as no other holder could let go while it waits. A lock makes its
// lock file, and letting go removes it.
class MemoryDisk : public platform::FileBackend, public std::enable_shared_from_this<MemoryDisk> {
 public:
  MemoryDisk();

  // Hooks that install `disk` as the file system (all other hooks are those
  // in force).
  static platform::Hooks Hooks(std::shared_ptr<MemoryDisk> disk);

  // Setting up and examining, outside the counted calls. Put* creates the
  // missing folders on the way and makes everything durable at once.
  void PutFolder(const std::string& path);
  void PutFile(const std::string& path, const std::string& content, double modified = 0,
               uint32_t permissions = 0644);
  // The content the program sees; nullopt when no file is there.
  std::optional<std::string> Content(const std::string& path) const;
  // The names of the files (not folders) in `folder`, sorted.
  std::vector<std::string> FileNames(const std::string& folder) const;
  // Every file below the root as (path, content), sorted by path.
  std::map<std::string, std::string> AllFiles() const;

  // The number of backend calls so far.
  int calls() const { return calls_; }
  void CutPowerAtCall(int call_from_now);
  // Leaves only what was durable at the cut (all that is durable now when
  // the cut's call has not come).
  void Reboot();

  platform::FileStatus Status(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder) override;
  void CreateFolder(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> CreateTempFile(
      const std::string& folder, const std::string& prefix, std::string& temp_path,
      const platform::NewFileModel& model) override;
  void HardLink(const std::string& existing, const std::string& link) override;
  std::string ResolveLinks(const std::string& path) override { return path; }
  std::string CanonicalPath(const std::string& path) override { return path; }
  void SetPermissions(const std::string& path, uint32_t permissions) override;
  void SetModified(const std::string& path, double modified) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Replace(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path) override;
  void SyncFolder(const std::string& folder) override;
  std::unique_ptr<platform::FileLock> Lock(const std::string& path, double wait_seconds,
                                           uint32_t permissions) override;

 private:
  class OpenFile;  // a file being written
  class HeldLock;  // a lock taken; letting go removes its file
  // A file or a folder. Each field has its durable twin.
  struct Node {
    bool folder = false;
    std::string data;
    uint32_t permissions = 0644;
    double modified = 0;
    std::map<std::string, int> entries;  // folders: name -> node
  };
  using State = std::map<int, Node>;  // node number -> node
  static constexpr int kRoot = 0;

  // Counts a call, and freezes the durable state at the cut's call.
  void CountCall();
  // The node at `path` in the visible state, or -1.
  int Find(const std::string& path) const;
  // The folder holding `path` and the last name; 76 when the folder is missing.
  std::pair<int, std::string> ParentOf(const std::string& path) const;
  int NewNode(bool folder);
  // The file at `path`: 53 when missing, 70 for a folder.
  int RequireFile(const std::string& path) const;
  void AppendTo(int node, std::string_view data);
  void SyncNode(int node);
  // Lets go of the lock on `node`, removing its file when `path` still names it.
  void LetGo(const std::string& path, int node);

  State visible_;
  State durable_;
  std::optional<State> frozen_;
  std::set<int> held_locks_;
  int next_node_ = 1;
  int next_temp_ = 1;
  int calls_ = 0;
  int cut_at_ = -1;
};

}  // namespace tamrel::testing
