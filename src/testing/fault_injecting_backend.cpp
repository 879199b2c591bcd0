#include <utility>

#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {

class FaultInjectingBackend::FailingFile : public platform::WritableFile {
 public:
  FailingFile(FaultInjectingBackend& backend, std::unique_ptr<platform::WritableFile> inner,
              std::string path)
      : backend_(backend), inner_(std::move(inner)), path_(std::move(path)) {}

  void Append(std::string_view data) override {
    try {
      backend_.Check(FileOp::kAppend, path_);
    } catch (const Error&) {
      inner_->Append(data.substr(0, data.size() / 2));
      throw;
    }
    inner_->Append(data);
  }
  void Sync() override {
    backend_.Check(FileOp::kSync, path_);
    inner_->Sync();
  }
  void Close() override {
    backend_.Check(FileOp::kClose, path_);
    inner_->Close();
  }

 private:
  FaultInjectingBackend& backend_;
  std::unique_ptr<platform::WritableFile> inner_;
  std::string path_;
};

FaultInjectingBackend::FaultInjectingBackend(std::shared_ptr<platform::FileBackend> inner)
    : FileBackendWrapper(std::move(inner)) {}

platform::Hooks FaultInjectingBackend::Hooks(std::shared_ptr<FaultInjectingBackend> backend) {
  platform::Hooks hooks;
  hooks.file_system = std::move(backend);
  return hooks;
}

void FaultInjectingBackend::FailTimes(FileOp op, int times, int32_t number, std::string path_part) {
  rules_.push_back(Rule{op, std::move(path_part), times, number});
}

void FaultInjectingBackend::Check(FileOp op, Path path) {
  for (Rule& rule : rules_) {
    if (rule.op == op && path.find(rule.path_part) != std::string::npos && rule.calls_to_fail > 0) {
      --rule.calls_to_fail;
      Raise(rule.number, "injected failure of file operation " +
                             std::to_string(static_cast<int>(op)) + " on " + path);
    }
  }
}

platform::FileStatus FaultInjectingBackend::Status(Path path) {
  Check(FileOp::kStatus, path);
  return FileBackendWrapper::Status(path);
}

platform::EntryKind FaultInjectingBackend::Kind(Path path) {
  Check(FileOp::kStatus, path);
  return FileBackendWrapper::Kind(path);
}

std::vector<std::string> FaultInjectingBackend::ListFiles(Path folder) {
  Check(FileOp::kListFiles, folder);
  return FileBackendWrapper::ListFiles(folder);
}

void FaultInjectingBackend::CreateFolder(Path path) {
  Check(FileOp::kCreateFolder, path);
  FileBackendWrapper::CreateFolder(path);
}

std::string FaultInjectingBackend::ReadFile(Path path) {
  Check(FileOp::kReadFile, path);
  return FileBackendWrapper::ReadFile(path);
}

std::optional<std::string> FaultInjectingBackend::ReadFileIfExists(Path path) {
  Check(FileOp::kReadFile, path);
  return FileBackendWrapper::ReadFileIfExists(path);
}

std::unique_ptr<platform::WritableFile> FaultInjectingBackend::CreateTempFile(
    Path folder, Path prefix, std::string& temp_path, const platform::NewFileModel& model) {
  Check(FileOp::kCreateTempFile, folder + "/" + prefix);
  auto file = FileBackendWrapper::CreateTempFile(folder, prefix, temp_path, model);
  return std::make_unique<FailingFile>(*this, std::move(file), temp_path);
}

void FaultInjectingBackend::HardLink(Path existing, Path link) {
  Check(FileOp::kHardLink, link);
  FileBackendWrapper::HardLink(existing, link);
}

void FaultInjectingBackend::SetPermissions(Path path, uint32_t permissions) {
  Check(FileOp::kSetPermissions, path);
  FileBackendWrapper::SetPermissions(path, permissions);
}

void FaultInjectingBackend::SetModified(Path path, double modified) {
  Check(FileOp::kSetModified, path);
  FileBackendWrapper::SetModified(path, modified);
}

void FaultInjectingBackend::Rename(Path from, Path to) {
  Check(FileOp::kRename, from);
  FileBackendWrapper::Rename(from, to);
}

void FaultInjectingBackend::Replace(Path from, Path to) {
  Check(FileOp::kReplace, to);
  FileBackendWrapper::Replace(from, to);
}

void FaultInjectingBackend::RemoveFile(Path path) {
  Check(FileOp::kRemoveFile, path);
  FileBackendWrapper::RemoveFile(path);
}

void FaultInjectingBackend::SyncFolder(Path folder) {
  Check(FileOp::kSyncFolder, folder);
  FileBackendWrapper::SyncFolder(folder);
}

std::unique_ptr<platform::FileLock> FaultInjectingBackend::Lock(Path path, double wait_seconds,
                                                                uint32_t permissions) {
  Check(FileOp::kLock, path);
  return FileBackendWrapper::Lock(path, wait_seconds, permissions);
}

}  // namespace tamrel::testing
