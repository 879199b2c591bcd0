#include "opened_context.hpp"

#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "command_table.hpp"
#include "context_path.hpp"
#include "read_only_view.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"
#include "utf8_path.hpp"

namespace tamrel::tool {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(PathOf(path), ignored);
}

// The name Load gives a damaged file: the first "_corrupt(n)" not taken yet.
std::string NextCorruptName(const std::string& path) {
  for (int n = 1;; ++n) {
    std::string candidate = path + "_corrupt(" + std::to_string(n) + ")";
    if (!Exists(candidate)) return candidate;
  }
}

// Whether `report` is of a kind a folder that may not be written gives: no
// other failure is worth the probe file that tells.
bool MayBeAnUnwritableFolder(const ErrorReport& report) {
  return report.number == errc::kPermissionDenied || report.number == errc::kPathFileAccess ||
         report.number == errc::kPathNotFound;
}

}  // namespace

void FailOnReport(const ConsoleHost& host, std::size_t reports_before, const std::string& what) {
  if (host.errors().size() > reports_before) {
    throw CommandFailure(kExitFailed, what + ": " + host.errors()[reports_before].Describe());
  }
}

OpenedContext::OpenedContext(const std::string& file, std::shared_ptr<ConsoleHost> host,
                             std::ostream& err, FileMissing missing, Access access)
    : path_(AbsolutePath(file)),
      host_(std::move(host)),
      err_(&err),
      context_(std::make_shared<ContextCls>()) {
  context_->SetApplicationContext(host_);
  context_->name(TextOf(PathOf(path_).stem()));
  RequireFileOrNothing(path_);
  if (access == Access::kWrite) {
    // Nothing to lock, and no folder to make, for a file that must exist.
    if (missing == FileMissing::kRefuse && !Exists(path_)) {
      throw CommandFailure(kExitNotFound, path_ + ": no such context file");
    }
    TakeLock();
    LoadForWriting(err, missing);
  } else {
    LoadForReading(err, missing);
  }
}

OpenedContext::~OpenedContext() = default;

std::string OpenedContext::backup_path() const {
  return BackupCopyPath(ResolvedContextPath(path_));
}

// The lock file lives beside the file, so a new file's folders are made
// first, flushed to the disk as Save would make them.
void OpenedContext::TakeLock() {
  FileSystemObject fso;
  const std::string folder = fso.GetParentFolderName(path_);
  if (!fso.FolderExists(folder)) context_->MakeFolder(fso, folder);
  const std::string resolved = ResolvedContextPath(path_);
  RequireLockableFile(resolved);
  try {
    lock_ = std::make_unique<ContextFileLock>(path_);
  } catch (const Error& error) {
    const std::string lock_file = ContextFileLock::LockFileOf(resolved);
    if (error.number() == errc::kPermissionDenied) {
      throw CommandFailure(kExitFailed, path_ + " is held by another program: its lock " +
                                            lock_file +
                                            " was not released in time; nothing was changed");
    }
    throw CommandFailure(kExitFailed, "cannot lock " + path_ + UnwritableFolderCause(lock_file) +
                                          ": " + error.description() + " (error " +
                                          std::to_string(error.number()) +
                                          "); nothing was changed");
  }
}

void OpenedContext::RequireLoaded(bool loaded, const ConsoleHost& host,
                                  std::size_t reports_before) const {
  if (loaded) return;
  FailOnReport(host, reports_before, "cannot read " + path_);
  throw CommandFailure(kExitFailed, "cannot read " + path_);
}

void OpenedContext::LoadForWriting(std::ostream& err, FileMissing missing) {
  const bool existed = Exists(path_);
  corrupt_name_ = NextCorruptName(path_);
  const std::size_t reports_before = host_->errors().size();
  const std::size_t messages_before = host_->messages_shown();

  const bool loaded = context_->Load(path_);

  damaged_ = host_->messages_shown() > messages_before;
  if (!existed) {
    if (missing == FileMissing::kRefuse) {
      throw CommandFailure(kExitNotFound, path_ + ": no such context file");
    }
    return;
  }
  if (damaged_ && loaded) {
    err << "tamrel: " << path_ << " was damaged and has been restored from its backup copy "
        << backup_path() << "; the damaged file is kept as " << corrupt_name_ << '\n';
    return;
  }
  if (damaged_) {
    throw CommandFailure(kExitFailed, path_ + " is damaged and no usable backup copy was found (" +
                                          backup_path() + "); the damaged file is kept as " +
                                          corrupt_name_);
  }
  RequireLoaded(loaded, *host_, reports_before);
}

// Load runs over a read-only view of the disk with a host of its own, whose
// message boxes (telling of a recovery that happens only in the view) nobody
// sees; what it found is told here.
void OpenedContext::LoadForReading(std::ostream& err, FileMissing missing) {
  if (!Exists(path_)) {
    if (missing == FileMissing::kRefuse) {
      throw CommandFailure(kExitNotFound, path_ + ": no such context file");
    }
    return;
  }
  std::ostringstream unseen;
  auto view_host = std::make_shared<ConsoleHost>(nullptr, unseen);
  context_->SetApplicationContext(view_host);
  bool loaded = false;
  {
    platform::Scope scope(ReadOnlyView::Hooks());
    loaded = context_->Load(path_);
  }
  context_->SetApplicationContext(host_);
  damaged_ = view_host->messages_shown() > 0;
  if (damaged_ && loaded) {
    err << "tamrel: warning: " << path_ << " is damaged; these are the values of its backup copy "
        << backup_path() << ". Nothing was changed; 'tamrel repair " << path_
        << "' puts the backup copy in its place\n";
    return;
  }
  if (damaged_) {
    throw CommandFailure(kExitFailed, path_ + " is damaged and its backup copy " + backup_path() +
                                          " is missing or damaged too; nothing was changed");
  }
  RequireLoaded(loaded, *view_host, 0);
}

int OpenedContext::Save() {
  const std::size_t reports_before = host_->errors().size();
  if (context_->Save(path_)) return kExitOk;
  const std::vector<ErrorReport>& reports = host_->errors();
  for (std::size_t i = reports_before; i < reports.size(); ++i) {
    if (const auto backup = reports[i].UnwrittenBackupCopy()) {
      *err_ << "tamrel: saved " << path_ << ", but its backup copy " << backup->path
            << " was not written: " << backup->cause << '\n';
      return kExitBackupNotWritten;
    }
  }
  std::string what = "cannot save " + path_;
  if (reports.size() > reports_before && MayBeAnUnwritableFolder(reports[reports_before])) {
    what += UnwritableFolderCause(ResolvedContextPath(path_));
  }
  FailOnReport(*host_, reports_before, what);
  throw CommandFailure(kExitFailed, what);
}

}  // namespace tamrel::tool
