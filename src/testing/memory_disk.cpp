#include <utility>

#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

// Permissions are what the platform's backend takes and gives: mode bits on
// POSIX, attributes on Windows; a file is read-only as that backend judges.
#ifdef _WIN32
bool ReadOnly(uint32_t attributes) { return (attributes & 0x1) != 0; }
#else
bool ReadOnly(uint32_t mode) { return (mode & 0222) == 0; }
#endif

// Either separator: the library joins paths with the platform's own, which
// is '\\' on Windows.
constexpr char kSeparators[] = "/\\";

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (from <= path.size()) {
    std::size_t slash = path.find_first_of(kSeparators, from);
    if (slash == std::string::npos) slash = path.size();
    if (slash > from) parts.push_back(path.substr(from, slash - from));
    from = slash + 1;
  }
  return parts;
}

}  // namespace

class MemoryDisk::OpenFile : public platform::WritableFile {
 public:
  OpenFile(std::shared_ptr<MemoryDisk> disk, int node) : disk_(std::move(disk)), node_(node) {}
  void Append(std::string_view data) override {
    disk_->CountCall();
    disk_->AppendTo(node_, data);
  }
  void Sync() override {
    disk_->CountCall();
    disk_->SyncNode(node_);
  }
  void Close() override { disk_->CountCall(); }

 private:
  std::shared_ptr<MemoryDisk> disk_;
  int node_;
};

class MemoryDisk::HeldLock : public platform::FileLock {
 public:
  HeldLock(std::shared_ptr<MemoryDisk> disk, std::string path, int node)
      : disk_(std::move(disk)), path_(std::move(path)), node_(node) {}
  ~HeldLock() override { disk_->LetGo(path_, node_); }

 private:
  std::shared_ptr<MemoryDisk> disk_;
  std::string path_;
  int node_;
};

MemoryDisk::MemoryDisk() {
  Node root;
  root.folder = true;
  visible_[kRoot] = root;
  durable_ = visible_;
}

platform::Hooks MemoryDisk::Hooks(std::shared_ptr<MemoryDisk> disk) {
  platform::Hooks hooks;
  hooks.file_system = std::move(disk);
  return hooks;
}

void MemoryDisk::PutFolder(const std::string& path) {
  int folder = kRoot;
  for (const std::string& name : Components(path)) {
    auto& entries = visible_[folder].entries;
    auto found = entries.find(name);
    if (found == entries.end()) found = entries.emplace(name, NewNode(true)).first;
    folder = found->second;
  }
  durable_ = visible_;
}

void MemoryDisk::PutFile(const std::string& path, const std::string& content, double modified,
                         uint32_t permissions) {
  const std::size_t slash = path.find_last_of(kSeparators);
  PutFolder(path.substr(0, slash));
  const auto [folder, name] = ParentOf(path);
  const int node = NewNode(false);
  visible_[node] =
      Node{.data = content, .permissions = permissions, .modified = modified, .entries = {}};
  visible_[folder].entries[name] = node;
  durable_ = visible_;
}

std::optional<std::string> MemoryDisk::Content(const std::string& path) const {
  const int node = Find(path);
  if (node < 0 || visible_.at(node).folder) return std::nullopt;
  return visible_.at(node).data;
}

std::vector<std::string> MemoryDisk::FileNames(const std::string& folder) const {
  std::vector<std::string> names;
  const int node = Find(folder);
  if (node < 0) return names;
  for (const auto& [name, child] : visible_.at(node).entries) {
    if (!visible_.at(child).folder) names.push_back(name);
  }
  return names;
}

std::map<std::string, std::string> MemoryDisk::AllFiles() const {
  std::map<std::string, std::string> files;
  std::vector<std::pair<std::string, int>> folders = {{"", kRoot}};
  while (!folders.empty()) {
    const auto [path, folder] = folders.back();
    folders.pop_back();
    for (const auto& [name, child] : visible_.at(folder).entries) {
      const Node& node = visible_.at(child);
      if (node.folder) {
        folders.emplace_back(path + "/" + name, child);
      } else {
        files[path + "/" + name] = node.data;
      }
    }
  }
  return files;
}

void MemoryDisk::CutPowerAtCall(int call_from_now) {
  frozen_.reset();
  cut_at_ = calls_ + call_from_now;
}

void MemoryDisk::Reboot() {
  if (!frozen_) frozen_ = durable_;
  visible_ = *frozen_;
  durable_ = *frozen_;
  frozen_.reset();
  cut_at_ = -1;
}

void MemoryDisk::CountCall() {
  if (!frozen_ && calls_ == cut_at_) frozen_ = durable_;
  ++calls_;
}

int MemoryDisk::Find(const std::string& path) const {
  int node = kRoot;
  for (const std::string& name : Components(path)) {
    const Node& folder = visible_.at(node);
    if (!folder.folder) return -1;
    auto found = folder.entries.find(name);
    if (found == folder.entries.end()) return -1;
    node = found->second;
  }
  return node;
}

std::pair<int, std::string> MemoryDisk::ParentOf(const std::string& path) const {
  const std::size_t slash = path.find_last_of(kSeparators);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const int folder = Find(slash == std::string::npos ? "" : path.substr(0, slash));
  if (folder < 0 || !visible_.at(folder).folder || name.empty()) Raise(errc::kPathNotFound);
  return {folder, name};
}

int MemoryDisk::NewNode(bool folder) {
  const int node = next_node_++;
  visible_[node].folder = folder;
  return node;
}

int MemoryDisk::RequireFile(const std::string& path) const {
  const int node = Find(path);
  if (node < 0) Raise(errc::kFileNotFound);
  if (visible_.at(node).folder) Raise(errc::kPermissionDenied);
  return node;
}

platform::FileStatus MemoryDisk::Status(const std::string& path) {
  CountCall();
  platform::FileStatus status;
  const int node = Find(path);
  if (node < 0) return status;
  const Node& found = visible_.at(node);
  status.kind = found.folder ? platform::EntryKind::kFolder : platform::EntryKind::kFile;
  status.read_only = ReadOnly(found.permissions);
  status.permissions = found.permissions;
  status.modified = found.modified;
  status.device = 1;
  status.node = static_cast<uint64_t>(node);
  return status;
}

std::vector<std::string> MemoryDisk::ListFiles(const std::string& folder) {
  CountCall();
  const int node = Find(folder);
  if (node < 0 || !visible_.at(node).folder) Raise(errc::kPathNotFound);
  return FileNames(folder);
}

void MemoryDisk::CreateFolder(const std::string& path) {
  CountCall();
  const auto [folder, name] = ParentOf(path);
  if (visible_.at(folder).entries.contains(name)) Raise(errc::kFileAlreadyExists);
  const int node = NewNode(true);
  visible_[folder].entries[name] = node;
}

std::string MemoryDisk::ReadFile(const std::string& path) {
  CountCall();
  return visible_.at(RequireFile(path)).data;
}

std::unique_ptr<platform::WritableFile> MemoryDisk::CreateTempFile(
    const std::string& folder, const std::string& prefix, std::string& temp_path,
    const platform::NewFileModel& model) {
  CountCall();
  const std::string path = folder + kPathSeparator + prefix + std::to_string(next_temp_++);
  const auto [parent, name] = ParentOf(path);
  const int like = model.like.empty() ? -1 : Find(model.like);
  const uint32_t permissions = like >= 0 && !visible_.at(like).folder
                                   ? visible_.at(like).permissions
                                   : model.permissions.value_or(0644);
  const int node = NewNode(false);
  visible_[node].permissions = permissions;
  visible_[node].modified = platform::Current().now();
  visible_[parent].entries[name] = node;
  temp_path = path;
  return std::make_unique<OpenFile>(shared_from_this(), node);
}

void MemoryDisk::AppendTo(int node, std::string_view data) {
  visible_[node].data.append(data);
  visible_[node].modified = platform::Current().now();
}

void MemoryDisk::SyncNode(int node) { durable_[node] = visible_.at(node); }

void MemoryDisk::SetPermissions(const std::string& path, uint32_t permissions) {
  CountCall();
  visible_[RequireFile(path)].permissions = permissions;
}

void MemoryDisk::SetModified(const std::string& path, double modified) {
  CountCall();
  visible_[RequireFile(path)].modified = modified;
}

void MemoryDisk::Rename(const std::string& from, const std::string& to) {
  CountCall();
  const auto [from_folder, from_name] = ParentOf(from);
  const auto [to_folder, to_name] = ParentOf(to);
  auto& from_entries = visible_[from_folder].entries;
  auto found = from_entries.find(from_name);
  if (found == from_entries.end()) Raise(errc::kFileNotFound);
  if (visible_[to_folder].entries.contains(to_name)) Raise(errc::kFileAlreadyExists);
  const int node = found->second;
  from_entries.erase(found);
  visible_[to_folder].entries[to_name] = node;
}

void MemoryDisk::Replace(const std::string& from, const std::string& to) {
  CountCall();
  const int node = RequireFile(from);
  const auto [to_folder, to_name] = ParentOf(to);
  const int old = Find(to);
  if (old >= 0 && visible_.at(old).folder) Raise(errc::kPermissionDenied);
  const auto [from_folder, from_name] = ParentOf(from);
  visible_[from_folder].entries.erase(from_name);
  visible_[to_folder].entries[to_name] = node;
}

void MemoryDisk::RemoveFile(const std::string& path) {
  CountCall();
  RequireFile(path);
  const auto [folder, name] = ParentOf(path);
  visible_[folder].entries.erase(name);
}

void MemoryDisk::SyncFolder(const std::string& folder) {
  CountCall();
  const int node = Find(folder);
  if (node < 0 || !visible_.at(node).folder) Raise(errc::kPathNotFound);
  Node& kept = durable_[node];
  kept.folder = true;
  kept.entries = visible_.at(node).entries;
  // An entry whose node was never flushed survives as an empty one.
  for (const auto& [name, child] : kept.entries) {
    if (!durable_.contains(child)) durable_[child].folder = visible_[child].folder;
  }
}

void MemoryDisk::HardLink(const std::string& existing, const std::string& link) {
  CountCall();
  const int node = RequireFile(existing);
  const auto [folder, name] = ParentOf(link);
  if (visible_.at(folder).entries.contains(name)) Raise(errc::kFileAlreadyExists);
  visible_[folder].entries[name] = node;
}

std::unique_ptr<platform::FileLock> MemoryDisk::Lock(const std::string& path, double,
                                                     uint32_t permissions) {
  CountCall();
  const auto [folder, name] = ParentOf(path);
  auto& entries = visible_.at(folder).entries;
  if (!entries.contains(name)) {
    const int node = NewNode(false);
    visible_[node].permissions = permissions;
    entries[name] = node;
  }
  const int node = entries.at(name);
  if (visible_.at(node).folder) Raise(errc::kPathFileAccess, "the lock file is not a plain file");
  if (!held_locks_.insert(node).second) Raise(errc::kPermissionDenied, "the lock is held");
  return std::make_unique<HeldLock>(shared_from_this(), path, node);
}

void MemoryDisk::LetGo(const std::string& path, int node) {
  held_locks_.erase(node);
  if (Find(path) != node) return;
  const auto [folder, name] = ParentOf(path);
  visible_[folder].entries.erase(name);
}

}  // namespace tamrel::testing
