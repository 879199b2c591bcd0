#include "platform/atomic_file_writer.hpp"

#include <utility>

#include "platform/file_paths.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {

void RequireReplaceable(platform::FileBackend& backend, const std::string& target) {
  const platform::FileStatus status = backend.Status(target);
  if (status.kind == platform::EntryKind::kMissing) return;
  if (status.kind != platform::EntryKind::kFile || status.read_only) {
    Raise(errc::kPermissionDenied);
  }
}

AtomicFileWriter::AtomicFileWriter(std::shared_ptr<platform::FileBackend> backend,
                                   std::string target, std::optional<uint32_t> new_file_permissions)
    : backend_(std::move(backend)),
      target_(std::move(target)),
      folder_(ParentFolderName(target_)),
      new_file_permissions_(new_file_permissions) {
  RequireReplaceable(*backend_, target_);
  // The target's name in the temporary name lets a reader of the folder, or a
  // test, tell whose temporary file it is.
  file_ = backend_->CreateTempFile(folder_, "." + LastPathComponent(target_) + ".tmp-", temp_path_);
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
    // Permissions and date belong to the file: set before the flush, they
    // reach the disk with the content, and a power cut after the rename
    // cannot leave the new content with the default permissions or a date
    // that would make the next Save rotate it needlessly.
    const platform::FileStatus old = backend_->Status(target_);
    if (old.kind == platform::EntryKind::kFile) {
      backend_->SetPermissions(temp_path_, old.permissions);
    } else if (new_file_permissions_) {
      backend_->SetPermissions(temp_path_, *new_file_permissions_);
    }
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
