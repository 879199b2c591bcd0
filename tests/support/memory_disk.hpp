// MemoryDisk: an in-memory file system for tests and fuzzing that knows
// what has reached the disk and can cut the power.
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
// whether they succeed or fail.
//
// Paths are absolute, separated by '/' (or '\\'; both are taken). A file may
// have several names (hard links); there are no symbolic links, so a path
// leads to itself. Lock() always succeeds (the disk is for one thread): it
// makes the lock file, and letting go removes it. Install the disk with
// platform::Scope(MemoryDisk::Hooks(disk)).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {

class MemoryDisk : public platform::FileBackend, public std::enable_shared_from_this<MemoryDisk> {
 public:
  MemoryDisk();

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

  // FileBackend.
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
  // Removes the lock file `path` when it is still the file `node` (a lock let go).
  void RemoveLockFile(const std::string& path, int node);

  // For the disk's writable files; counts a call and freezes at the cut.
  void CountCall();
  void AppendTo(int node, std::string_view data);
  void SyncNode(int node);

 private:
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

  // The node at `path` in the visible state, or -1.
  int Find(const std::string& path) const;
  // The folder holding `path` and the last name; 76 when the folder is missing.
  std::pair<int, std::string> ParentOf(const std::string& path) const;
  int NewNode(bool folder);
  int RequireFile(const std::string& path) const;

  State visible_;
  State durable_;
  std::optional<State> frozen_;
  int next_node_ = 1;
  int next_temp_ = 1;
  int calls_ = 0;
  int cut_at_ = -1;
};

}  // namespace tamrel::testing
