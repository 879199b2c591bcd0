// ReadOnlyView: the disk as a Load run by a reading command sees it. Reads
// reach the real disk; every change (a temporary file and what is written to
// it, a rename, a replacement, a deletion, a new folder, a lock) is kept in
// memory and shown to later calls through the view, and never to the disk.
// The disk's symbolic links are followed as the disk follows them.
//
// A Load of a damaged file sets it aside and copies its backup copy back;
// over the view that happens in memory only, so the reading commands change
// nothing on disk, need no scratch copy of a file however large, and leave
// nothing behind when they are killed. A file renamed in the view is not
// copied: the view remembers where on disk its bytes still are.
//
// Paths are compared as given: the library builds each path it reuses the
// same way, from the path the command gave.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::tool {

class ReadOnlyView : public platform::FileBackend {
 public:
  explicit ReadOnlyView(std::shared_ptr<platform::FileBackend> disk);

  // Hooks that install a new view of the file system in force as the file
  // system.
  static platform::Hooks Hooks();

  platform::FileStatus Status(const std::string& path) override;
  platform::EntryKind Kind(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder) override;
  void CreateFolder(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  std::optional<std::string> ReadFileIfExists(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> CreateTempFile(
      const std::string& folder, const std::string& prefix, std::string& temp_path,
      const platform::NewFileModel& model) override;
  void HardLink(const std::string& existing, const std::string& link) override;
  // Links are the disk's: the view makes none.
  std::string ResolveLinks(const std::string& path) override;
  std::string CanonicalPath(const std::string& path) override;
  void SetPermissions(const std::string& path, uint32_t permissions) override;
  void SetModified(const std::string& path, double modified) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Replace(const std::string& from, const std::string& to) override;
  void RemoveFile(const std::string& path) override;
  void SyncFolder(const std::string& folder) override;
  std::unique_ptr<platform::FileLock> Lock(const std::string& path, double wait_seconds,
                                           uint32_t permissions) override;

 private:
  // A path the view has changed. kMissing: removed from the view.
  struct Entry {
    platform::FileStatus status;
    // The bytes of a file written in the view; null for a file whose bytes
    // are on disk at `disk_path`.
    std::shared_ptr<std::string> content;
    std::string disk_path;
  };

  // The changed entry at `path`, or nullptr when the view shows the disk there.
  const Entry* Changed(const std::string& path) const;
  // The file at `path` as an entry, for moving it or changing its status;
  // 53 when no file is there.
  Entry FileEntry(const std::string& path);
  // Moves the file at `from` to `to` in the view.
  void Move(const std::string& from, const std::string& to);

  std::shared_ptr<platform::FileBackend> disk_;
  std::map<std::string, Entry> changes_;
  int temp_files_made_ = 0;
};

}  // namespace tamrel::tool
