#include <utility>

#include "tamrel/testing.hpp"

namespace tamrel::testing {

FileBackendWrapper::FileBackendWrapper(std::shared_ptr<platform::FileBackend> inner)
    : inner_(std::move(inner)) {}

platform::FileStatus FileBackendWrapper::Status(Path path) { return inner_->Status(path); }

platform::EntryKind FileBackendWrapper::Kind(Path path) { return inner_->Kind(path); }

std::vector<std::string> FileBackendWrapper::ListFiles(Path folder) {
  return inner_->ListFiles(folder);
}

void FileBackendWrapper::CreateFolder(Path path) { inner_->CreateFolder(path); }

std::string FileBackendWrapper::ReadFile(Path path) { return inner_->ReadFile(path); }

std::optional<std::string> FileBackendWrapper::ReadFileIfExists(Path path) {
  return inner_->ReadFileIfExists(path);
}

std::unique_ptr<platform::WritableFile> FileBackendWrapper::CreateTempFile(
    Path folder, Path prefix, std::string& temp_path, const platform::NewFileModel& model) {
  return inner_->CreateTempFile(folder, prefix, temp_path, model);
}

void FileBackendWrapper::HardLink(Path existing, Path link) { inner_->HardLink(existing, link); }

std::string FileBackendWrapper::ResolveLinks(Path path) { return inner_->ResolveLinks(path); }

std::string FileBackendWrapper::CanonicalPath(Path path) { return inner_->CanonicalPath(path); }

void FileBackendWrapper::SetPermissions(Path path, uint32_t permissions) {
  inner_->SetPermissions(path, permissions);
}

void FileBackendWrapper::SetModified(Path path, double modified) {
  inner_->SetModified(path, modified);
}

void FileBackendWrapper::Rename(Path from, Path to) { inner_->Rename(from, to); }

void FileBackendWrapper::Replace(Path from, Path to) { inner_->Replace(from, to); }

void FileBackendWrapper::RemoveFile(Path path) { inner_->RemoveFile(path); }

void FileBackendWrapper::SyncFolder(Path folder) { inner_->SyncFolder(folder); }

std::unique_ptr<platform::FileLock> FileBackendWrapper::Lock(Path path, double wait_seconds,
                                                             uint32_t permissions) {
  return inner_->Lock(path, wait_seconds, permissions);
}

}  // namespace tamrel::testing
