// FaultInjectingBackend: a file backend for tests that forwards to another
// (the native one by default), records every call, and fails chosen calls.
//
//   auto disk = std::make_shared<FaultInjectingBackend>();
//   disk->FailNthCall(FileOp::kAppend, 1, 61);       // the first write: disk full
//   disk->FailTimes(FileOp::kCreateTempFile, 2, 70, "Setup.tmc");  // locked twice
//   platform::Scope scope(FaultInjectingBackend::Hooks(disk));
//
// A failing Append writes the first half of its data before it fails, as a
// write that runs out of space half-way does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {

// clang-format off
enum class FileOp {
  kStatus, kListFiles, kCreateFolder, kReadFile, kCreateTempFile, kAppend, kSync, kClose,
  kSetPermissions, kSetModified, kRename, kReplace, kDeleteFile, kSyncFolder
};
// clang-format on

const char* FileOpName(FileOp op);

struct FileCall {
  FileOp op;
  std::string path;  // the first path argument; for a written file, its path
};

class FaultInjectingBackend : public platform::FileBackend {
 public:
  explicit FaultInjectingBackend(
      std::shared_ptr<platform::FileBackend> inner = platform::NativeFileBackend())
      : inner_(std::move(inner)) {}

  // Hooks that install `backend` as the file system (everything else is
  // inherited from the hooks in force).
  static platform::Hooks Hooks(std::shared_ptr<FaultInjectingBackend> backend);

  // Fails the n-th call of `op` (1 = the next one) whose path contains
  // `path_part`, with error `number`.
  void FailNthCall(FileOp op, int n, int32_t number, std::string path_part = "") {
    rules_.push_back(Rule{op, std::move(path_part), n - 1, 1, number});
  }
  // Fails the next `times` calls of `op` whose path contains `path_part`,
  // then lets them pass.
  void FailTimes(FileOp op, int times, int32_t number, std::string path_part = "") {
    rules_.push_back(Rule{op, std::move(path_part), 0, times, number});
  }

  const std::vector<FileCall>& calls() const { return calls_; }
  // The operations called, in order, leaving out Status.
  std::vector<FileOp> Operations() const;

  platform::FileStatus Status(const std::string& path) override {
    Enter(FileOp::kStatus, path);
    return inner_->Status(path);
  }
  std::vector<std::string> ListFiles(const std::string& folder) override {
    Enter(FileOp::kListFiles, folder);
    return inner_->ListFiles(folder);
  }
  void CreateFolder(const std::string& path) override {
    Enter(FileOp::kCreateFolder, path);
    inner_->CreateFolder(path);
  }
  std::string ReadFile(const std::string& path) override {
    Enter(FileOp::kReadFile, path);
    return inner_->ReadFile(path);
  }
  std::unique_ptr<platform::WritableFile> CreateTempFile(const std::string& folder,
                                                         const std::string& prefix,
                                                         std::string& temp_path) override;
  void SetPermissions(const std::string& path, uint32_t permissions) override {
    Enter(FileOp::kSetPermissions, path);
    inner_->SetPermissions(path, permissions);
  }
  void SetModified(const std::string& path, double modified) override {
    Enter(FileOp::kSetModified, path);
    inner_->SetModified(path, modified);
  }
  void Rename(const std::string& from, const std::string& to) override {
    Enter(FileOp::kRename, from);
    inner_->Rename(from, to);
  }
  void Replace(const std::string& from, const std::string& to) override {
    Enter(FileOp::kReplace, to);
    inner_->Replace(from, to);
  }
  void DeleteFile(const std::string& path) override {
    Enter(FileOp::kDeleteFile, path);
    inner_->DeleteFile(path);
  }
  void SyncFolder(const std::string& folder) override {
    Enter(FileOp::kSyncFolder, folder);
    inner_->SyncFolder(folder);
  }

  // Records a call and raises when a rule says this call fails.
  void Enter(FileOp op, const std::string& path);

 private:
  struct Rule {
    FileOp op;
    std::string path_part;
    int calls_to_pass;
    int calls_to_fail;
    int32_t number;
  };

  std::shared_ptr<platform::FileBackend> inner_;
  std::vector<Rule> rules_;
  std::vector<FileCall> calls_;
};

}  // namespace tamrel::testing
