// FaultInjectingBackend: a file backend for tests that forwards to another
// (the native one by default) and fails chosen calls;
// install it with platform::Scope scope(FaultInjectingBackend::Hooks(disk)).
// A failing Append writes the first half of its data before it fails, as a
// write that runs out of space half-way does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {

// clang-format off
enum class FileOp {
  kStatus, kListFiles, kCreateFolder, kReadFile, kCreateTempFile, kAppend, kSync, kClose,
  kSetPermissions, kSetModified, kRename, kReplace, kRemoveFile, kSyncFolder, kLock, kHardLink
};
// clang-format on

class FaultInjectingBackend : public platform::FileBackend {
 public:
  explicit FaultInjectingBackend(
      std::shared_ptr<platform::FileBackend> inner = platform::NativeFileBackend())
      : inner_(std::move(inner)) {}

  // Hooks that install `backend` as the file system (everything else is
  // inherited from the hooks in force).
  static platform::Hooks Hooks(std::shared_ptr<FaultInjectingBackend> backend);

  // Fails the next `times` calls of `op` whose path contains `path_part`
  // with error `number`, then lets them pass.
  void FailTimes(FileOp op, int times, int32_t number, std::string path_part = "") {
    rules_.push_back(Rule{op, std::move(path_part), times, number});
  }

  using Path = const std::string&;
  platform::FileStatus Status(Path p) override { return Enter(FileOp::kStatus, p).Status(p); }
  platform::EntryKind Kind(Path p) override { return Enter(FileOp::kStatus, p).Kind(p); }
  std::optional<std::string> ReadFileIfExists(Path p) override {
    return Enter(FileOp::kReadFile, p).ReadFileIfExists(p);
  }
  std::vector<std::string> ListFiles(Path p) override {
    return Enter(FileOp::kListFiles, p).ListFiles(p);
  }
  void CreateFolder(Path p) override { Enter(FileOp::kCreateFolder, p).CreateFolder(p); }
  std::string ReadFile(Path p) override { return Enter(FileOp::kReadFile, p).ReadFile(p); }
  std::unique_ptr<platform::WritableFile> CreateTempFile(
      Path folder, Path prefix, std::string& temp_path,
      const platform::NewFileModel& model) override;
  void HardLink(Path existing, Path link) override {
    Enter(FileOp::kHardLink, link).HardLink(existing, link);
  }
  std::string ResolveLinks(Path p) override { return inner_->ResolveLinks(p); }
  std::string CanonicalPath(Path p) override { return inner_->CanonicalPath(p); }
  void SetPermissions(Path p, uint32_t perms) override {
    Enter(FileOp::kSetPermissions, p).SetPermissions(p, perms);
  }
  void SetModified(Path p, double when) override {
    Enter(FileOp::kSetModified, p).SetModified(p, when);
  }
  void Rename(Path from, Path to) override { Enter(FileOp::kRename, from).Rename(from, to); }
  void Replace(Path from, Path to) override { Enter(FileOp::kReplace, to).Replace(from, to); }
  void RemoveFile(Path p) override { Enter(FileOp::kRemoveFile, p).RemoveFile(p); }
  void SyncFolder(Path p) override { Enter(FileOp::kSyncFolder, p).SyncFolder(p); }
  std::unique_ptr<platform::FileLock> Lock(Path p, double wait_seconds,
                                           uint32_t permissions) override {
    return Enter(FileOp::kLock, p).Lock(p, wait_seconds, permissions);
  }

  // Raises when a rule says this call fails; otherwise gives the backend the
  // call goes on to.
  platform::FileBackend& Enter(FileOp op, const std::string& path);

 private:
  struct Rule {
    FileOp op;
    std::string path_part;
    int calls_to_fail;
    int32_t number;
  };

  std::shared_ptr<platform::FileBackend> inner_;
  std::vector<Rule> rules_;
};

}  // namespace tamrel::testing
