// File and Folder of FileSystemObject.
#include <utility>

#include "platform/atomic_file_writer.hpp"
#include "platform/file_paths.hpp"
#include "platform/text_stream_impl.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel {
namespace {

bool HoldsSeparator(const std::string& name) {
  for (char c : name) {
    if (detail::IsPathSeparator(c)) return true;
  }
  return false;
}

}  // namespace

File::File(std::shared_ptr<platform::FileBackend> backend, std::string path)
    : backend_(std::move(backend)), path_(std::move(path)) {}

std::string File::Name() const { return detail::LastPathComponent(path_); }

void File::Name(const std::string& new_name) {
  if (new_name.empty() || HoldsSeparator(new_name)) Raise(errc::kBadFileName);
  std::string target = detail::JoinPath(detail::ParentFolderName(path_), new_name);
  if (backend_->Kind(path_) != platform::EntryKind::kFile) Raise(errc::kFileNotFound);
  // The backend refuses an existing target as well; asking first gives 58
  // also for a folder of that name.
  if (backend_->Kind(target) != platform::EntryKind::kMissing) {
    Raise(errc::kFileAlreadyExists);
  }
  backend_->Rename(path_, target);
  path_ = std::move(target);
}

double File::DateLastModified() const {
  const platform::FileStatus status = backend_->Status(path_);
  if (status.kind != platform::EntryKind::kFile) Raise(errc::kFileNotFound);
  return status.modified;
}

TextStream File::OpenAsTextStream(IOMode mode, Tristate format) const {
  detail::RequireAnsi(format);
  switch (mode) {
    case IOMode::ForReading:
      return detail::OpenTextForReading(backend_, path_);
    case IOMode::ForWriting:
    case IOMode::ForAppending:
      if (backend_->Kind(path_) != platform::EntryKind::kFile) {
        Raise(errc::kFileNotFound);
      }
      return detail::OpenTextForWriting(backend_, path_, mode == IOMode::ForAppending);
  }
  Raise(errc::kInvalidArgument);
}

void File::Copy(const std::string& destination, bool overwrite) const {
  const platform::FileStatus source = backend_->Status(path_);
  if (source.kind != platform::EntryKind::kFile) Raise(errc::kFileNotFound);
  const bool into_folder = !destination.empty() && detail::IsPathSeparator(destination.back());
  const std::string target = into_folder ? destination + Name() : destination;
  if (!overwrite && backend_->Kind(target) != platform::EntryKind::kMissing) {
    Raise(errc::kFileAlreadyExists);
  }
  detail::AtomicFileWriter writer(backend_, target);
  writer.Append(backend_->ReadFile(path_));
  writer.Commit(source.modified);
}

void File::Delete(bool force) const {
  const platform::FileStatus status = backend_->Status(path_);
  if (status.kind != platform::EntryKind::kFile) Raise(errc::kFileNotFound);
  if (status.read_only && !force) Raise(errc::kPermissionDenied);
  backend_->RemoveFile(path_);
}

Folder::Folder(std::shared_ptr<platform::FileBackend> backend, std::string path)
    : backend_(std::move(backend)), path_(std::move(path)) {}

std::string Folder::Name() const { return detail::LastPathComponent(path_); }

std::vector<File> Folder::Files() const {
  std::vector<File> files;
  for (const std::string& name : backend_->ListFiles(path_)) {
    files.emplace_back(backend_, detail::JoinPath(path_, name));
  }
  return files;
}

}  // namespace tamrel
