#include <utility>

#include "platform/file_paths.hpp"
#include "platform/text_stream_impl.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

std::shared_ptr<platform::FileBackend> BackendInForce() {
  const auto& hooked = platform::Current().file_system;
  return hooked ? hooked : platform::NativeFileBackend();
}

platform::EntryKind KindOf(platform::FileBackend& backend, const std::string& path) {
  return backend.Kind(path);
}

}  // namespace

FileSystemObject::FileSystemObject() : backend_(BackendInForce()) {}

FileSystemObject::FileSystemObject(std::shared_ptr<platform::FileBackend> backend)
    : backend_(std::move(backend)) {}

bool FileSystemObject::FileExists(const std::string& path) const {
  return KindOf(*backend_, path) == platform::EntryKind::kFile;
}

bool FileSystemObject::FolderExists(const std::string& path) const {
  return KindOf(*backend_, path) == platform::EntryKind::kFolder;
}

Folder FileSystemObject::CreateFolder(const std::string& path) {
  if (KindOf(*backend_, path) != platform::EntryKind::kMissing) Raise(errc::kFileAlreadyExists);
  backend_->CreateFolder(path);
  // Flushed into its parent at once: a file later written and flushed in the
  // new folder would otherwise be lost with it in a power cut.
  backend_->SyncFolder(detail::ParentFolderName(path));
  return Folder(backend_, path);
}

File FileSystemObject::GetFile(const std::string& path) const {
  if (!FileExists(path)) Raise(errc::kFileNotFound);
  return File(backend_, path);
}

Folder FileSystemObject::GetFolder(const std::string& path) const {
  if (!FolderExists(path)) Raise(errc::kPathNotFound);
  return Folder(backend_, path);
}

std::string FileSystemObject::GetParentFolderName(const std::string& path) const {
  return detail::ParentFolderName(path);
}

std::string FileSystemObject::GetFileName(const std::string& path) const {
  return detail::LastPathComponent(path);
}

TextStream FileSystemObject::CreateTextFile(const std::string& path, bool overwrite, bool unicode) {
  if (unicode) Raise(errc::kInvalidArgument);
  if (!overwrite && KindOf(*backend_, path) != platform::EntryKind::kMissing) {
    Raise(errc::kFileAlreadyExists);
  }
  return detail::OpenTextForWriting(backend_, path, false);
}

Variant FileSystemObject::Call(const std::string& name, std::vector<Variant>& args) {
  auto path_argument = [&] {
    if (args.size() != 1) Raise(errc::kWrongArgumentCount);
    return CStr(args[0]);
  };
  if (SameName(name, "FileExists")) return Variant(FileExists(path_argument()));
  if (SameName(name, "FolderExists")) return Variant(FolderExists(path_argument()));
  if (SameName(name, "GetParentFolderName")) return Variant(GetParentFolderName(path_argument()));
  if (SameName(name, "GetFileName")) return Variant(GetFileName(path_argument()));
  if (SameName(name, "CreateFolder")) {
    CreateFolder(path_argument());
    return Variant();
  }
  NoSuchMember(name);
}

}  // namespace tamrel
