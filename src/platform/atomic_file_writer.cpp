#include "platform/atomic_file_writer.hpp"

#include <utility>

#include "platform/file_paths.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {

void RequireReplaceable(platform::FileBackend& backend, const std::string& target) {
  const platform::FileStatus status = backend.Status(target);
  if (status.kind == platform::EntryKind::kMissing) return;
  if (status.kind != platform::EntryKind::kFile) {
    Raise(errc::kPermissionDenied, "Permission denied: not a plain file: " + target);
  }
  if (status.read_only) Raise(errc::kPermissionDenied, "Permission denied: read-only: " + target);
}

std::string TempFilePrefix(const std::string& target) {
  return "." + LastPathComponent(target) + ".tmp-";
}

AtomicFileWriter::AtomicFileWriter(std::shared_ptr<platform::FileBackend> backend,
                                   std::string target, std::optional<platform::NewFileModel> model)
    : backend_(std::move(backend)),
      target_(backend_->ResolveLinks(target)),
      folder_(ParentFolderName(target_)) {
  RequireReplaceable(*backend_, target_);
  if (!model) model = platform::NewFileModel{.like = target_, .permissions = std::nullopt};
  file_ = backend_->CreateTempFile(folder_, TempFilePrefix(target_), temp_path_, *model);
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::RequireOpen() const {
  if (!file_) Raise(errc::kPathFileAccess);
}

template <class Step>
void AtomicFileWriter::AbandonOnFailure(Step&& step) {
  try {
    step();
  } catch (...) {
    Abandon();
    throw;
  }
}

void AtomicFileWriter::Append(std::string_view data) {
  RequireOpen();
  AbandonOnFailure([&] { file_->Append(data); });
}

void AtomicFileWriter::Commit(std::optional<double> modified) {
  RequireOpen();
  AbandonOnFailure([&] {
    // The date belongs to the file: set before the flush, it reaches the
    // disk with the content, and a power cut after the rename cannot leave
    // a date that would make the next Save rotate the file needlessly.
    if (modified) backend_->SetModified(temp_path_, *modified);
    file_->Sync();
    file_->Close();
    // The target may have changed since the writer started.
    RequireReplaceable(*backend_, target_);
    backend_->Replace(temp_path_, target_);
    temp_path_.clear();
  });
  file_.reset();
  backend_->SyncFolder(folder_);
}

void AtomicFileWriter::Abandon() noexcept {
  file_.reset();
  if (temp_path_.empty()) return;
  try {
    backend_->RemoveFile(temp_path_);
  } catch (...) {
    // The temporary file stays behind; the target is untouched either way.
  }
  temp_path_.clear();
}

}  // namespace tamrel::detail
