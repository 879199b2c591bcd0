#include "read_only_view.hpp"

#include <string_view>
#include <utility>

#include "tamrel/error.hpp"

namespace tamrel::tool {
namespace {

using platform::EntryKind;

// A file made in the view: private to its owner, as the library's own
// temporary files are.
#ifdef _WIN32
constexpr uint32_t kNewFilePermissions = 0;
constexpr uint32_t kReadOnlyAttribute = 1;
bool IsReadOnly(uint32_t permissions) { return (permissions & kReadOnlyAttribute) != 0; }
#else
constexpr uint32_t kNewFilePermissions = 0600;
constexpr uint32_t kAnyWriteBit = 0222;
bool IsReadOnly(uint32_t permissions) { return (permissions & kAnyWriteBit) == 0; }
#endif

bool IsSeparator(char c) { return c == '/' || c == kPathSeparator; }

// Where the last component of `path` starts.
std::size_t NameStart(std::string_view path) {
  std::size_t at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  return at;
}

// The folder part of `path`: "" for a bare name.
std::string_view ParentOf(std::string_view path) {
  const std::size_t start = NameStart(path);
  return start == 0 ? std::string_view() : path.substr(0, start - 1);
}

std::string_view NameOf(std::string_view path) { return path.substr(NameStart(path)); }

bool SameFolder(std::string_view a, std::string_view b) {
  while (!a.empty() && IsSeparator(a.back())) a.remove_suffix(1);
  while (!b.empty() && IsSeparator(b.back())) b.remove_suffix(1);
  return a == b;
}

// Appends to the bytes of a file that lives in the view.
class MemoryFile : public platform::WritableFile {
 public:
  explicit MemoryFile(std::shared_ptr<std::string> content) : content_(std::move(content)) {}
  void Append(std::string_view data) override { content_->append(data); }
  void Sync() override {}
  void Close() override {}

 private:
  std::shared_ptr<std::string> content_;
};

// A lock nobody else can see: the view is one reader's alone.
class MemoryLock : public platform::FileLock {};

}  // namespace

ReadOnlyView::ReadOnlyView(std::shared_ptr<platform::FileBackend> disk) : disk_(std::move(disk)) {}

platform::Hooks ReadOnlyView::Hooks() {
  platform::Hooks hooks;
  hooks.file_system = std::make_shared<ReadOnlyView>(platform::Current().file_system);
  return hooks;
}

const ReadOnlyView::Entry* ReadOnlyView::Changed(const std::string& path) const {
  const auto found = changes_.find(path);
  return found == changes_.end() ? nullptr : &found->second;
}

platform::FileStatus ReadOnlyView::Status(const std::string& path) {
  if (const Entry* entry = Changed(path)) return entry->status;
  return disk_->Status(path);
}

EntryKind ReadOnlyView::Kind(const std::string& path) {
  if (const Entry* entry = Changed(path)) return entry->status.kind;
  return disk_->Kind(path);
}

std::vector<std::string> ReadOnlyView::ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  const Entry* made = Changed(folder);
  if (made == nullptr) {
    for (std::string& name : disk_->ListFiles(folder)) {
      if (Changed(folder + kPathSeparator + name) == nullptr) names.push_back(std::move(name));
    }
  } else if (made->status.kind != EntryKind::kFolder) {
    Raise(errc::kPathNotFound);
  }
  for (const auto& [path, entry] : changes_) {
    if (entry.status.kind == EntryKind::kFile && SameFolder(ParentOf(path), folder)) {
      names.emplace_back(NameOf(path));
    }
  }
  return names;
}

void ReadOnlyView::CreateFolder(const std::string& path) {
  if (Kind(path) != EntryKind::kMissing) Raise(errc::kFileAlreadyExists);
  const std::string parent(ParentOf(path));
  if (!parent.empty() && Kind(parent) != EntryKind::kFolder) Raise(errc::kPathNotFound);
  Entry folder;
  folder.status.kind = EntryKind::kFolder;
  changes_[path] = std::move(folder);
}

std::string ReadOnlyView::ReadFile(const std::string& path) {
  const Entry* entry = Changed(path);
  if (entry == nullptr) return disk_->ReadFile(path);
  if (entry->status.kind != EntryKind::kFile) Raise(errc::kFileNotFound);
  return entry->content ? *entry->content : disk_->ReadFile(entry->disk_path);
}

std::optional<std::string> ReadOnlyView::ReadFileIfExists(const std::string& path) {
  const Entry* entry = Changed(path);
  if (entry == nullptr) return disk_->ReadFileIfExists(path);
  if (entry->status.kind != EntryKind::kFile) return std::nullopt;
  return ReadFile(path);
}

std::unique_ptr<platform::WritableFile> ReadOnlyView::CreateTempFile(
    const std::string& folder, const std::string& prefix, std::string& temp_path,
    const platform::NewFileModel& model) {
  if (!folder.empty() && Kind(folder) != EntryKind::kFolder) Raise(errc::kPathNotFound);
  std::string candidate;
  do {
    candidate = (folder.empty() ? std::string(".") : folder) + kPathSeparator + prefix +
                std::to_string(++temp_files_made_);
  } while (Kind(candidate) != EntryKind::kMissing);
  Entry file;
  file.status.kind = EntryKind::kFile;
  const platform::FileStatus like =
      model.like.empty() ? platform::FileStatus{} : Status(model.like);
  file.status.permissions = like.kind == EntryKind::kFile
                                ? like.permissions
                                : model.permissions.value_or(kNewFilePermissions);
  file.status.modified = platform::Current().now();
  file.content = std::make_shared<std::string>();
  auto writable = std::make_unique<MemoryFile>(file.content);
  changes_[candidate] = std::move(file);
  temp_path = std::move(candidate);
  return writable;
}

ReadOnlyView::Entry ReadOnlyView::FileEntry(const std::string& path) {
  if (const Entry* entry = Changed(path)) {
    if (entry->status.kind != EntryKind::kFile) Raise(errc::kFileNotFound);
    return *entry;
  }
  Entry on_disk;
  on_disk.status = disk_->Status(path);
  if (on_disk.status.kind != EntryKind::kFile) Raise(errc::kFileNotFound);
  on_disk.disk_path = path;
  return on_disk;
}

void ReadOnlyView::SetPermissions(const std::string& path, uint32_t permissions) {
  Entry file = FileEntry(path);
  file.status.permissions = permissions;
  file.status.read_only = IsReadOnly(permissions);
  changes_[path] = std::move(file);
}

void ReadOnlyView::SetModified(const std::string& path, double modified) {
  Entry file = FileEntry(path);
  file.status.modified = modified;
  changes_[path] = std::move(file);
}

void ReadOnlyView::Move(const std::string& from, const std::string& to) {
  Entry file = FileEntry(from);
  changes_[to] = std::move(file);
  changes_[from] = Entry{};
}

void ReadOnlyView::Rename(const std::string& from, const std::string& to) {
  FileEntry(from);
  if (Kind(to) != EntryKind::kMissing) Raise(errc::kFileAlreadyExists);
  Move(from, to);
}

// The second name shares the first's bytes, wherever they are.
void ReadOnlyView::HardLink(const std::string& existing, const std::string& link) {
  Entry file = FileEntry(existing);
  if (Kind(link) != EntryKind::kMissing) Raise(errc::kFileAlreadyExists);
  changes_[link] = std::move(file);
}

std::string ReadOnlyView::ResolveLinks(const std::string& path) {
  return disk_->ResolveLinks(path);
}

std::string ReadOnlyView::CanonicalPath(const std::string& path) {
  return disk_->CanonicalPath(path);
}

void ReadOnlyView::Replace(const std::string& from, const std::string& to) {
  FileEntry(from);
  if (Kind(to) == EntryKind::kFolder) Raise(errc::kPermissionDenied);
  Move(from, to);
}

void ReadOnlyView::RemoveFile(const std::string& path) {
  FileEntry(path);
  changes_[path] = Entry{};
}

// Nothing of the view is ever on disk.
void ReadOnlyView::SyncFolder(const std::string&) {}

std::unique_ptr<platform::FileLock> ReadOnlyView::Lock(const std::string&, double, uint32_t) {
  return std::make_unique<MemoryLock>();
}

}  // namespace tamrel::tool
