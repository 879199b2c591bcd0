#include "opened_context.hpp"

#include <filesystem>
#include <system_error>

#include "command_table.hpp"
#include "tamrel/locations.hpp"
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

}  // namespace

void FailOnReport(const ConsoleHost& host, std::size_t reports_before, const std::string& what) {
  if (host.errors().size() > reports_before) {
    throw CommandFailure(kExitFailed, what + ": " + host.errors()[reports_before].Describe());
  }
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) throw CommandFailure(kExitUsage, "FILE is empty: name a context file");
  return TextOf(fs::absolute(PathOf(path)).lexically_normal());
}

OpenedContext::OpenedContext(const std::string& file, std::shared_ptr<ConsoleHost> host,
                             std::ostream& err, FileMissing missing)
    : path_(AbsolutePath(file)), host_(std::move(host)), context_(std::make_shared<ContextCls>()) {
  context_->SetApplicationContext(host_);
  context_->name(TextOf(PathOf(path_).stem()));
  Load(err, missing);
}

void OpenedContext::Load(std::ostream& err, FileMissing missing) {
  std::error_code ignored;
  if (fs::is_directory(PathOf(path_), ignored))
    throw CommandFailure(kExitFailed, path_ + " is a folder");
  const bool existed = Exists(path_);
  const std::string corrupt_name = NextCorruptName(path_);
  const std::size_t reports_before = host_->errors().size();
  const std::size_t messages_before = host_->messages_shown();

  const bool loaded = context_->Load(path_);

  const bool damaged = host_->messages_shown() > messages_before;
  if (!existed) {
    if (missing == FileMissing::kRefuse) {
      throw CommandFailure(kExitNotFound, path_ + ": no such context file");
    }
    return;
  }
  if (damaged && loaded) {
    err << "tamrel: " << path_ << " was damaged and has been restored from its backup copy "
        << BackupCopyPath(path_) << "; the damaged file is kept as " << corrupt_name << '\n';
    return;
  }
  if (damaged) {
    throw CommandFailure(kExitFailed, path_ + " is damaged and no usable backup copy was found (" +
                                          BackupCopyPath(path_) +
                                          "); the damaged file is kept as " + corrupt_name);
  }
  if (!loaded) {
    FailOnReport(*host_, reports_before, "cannot read " + path_);
    throw CommandFailure(kExitFailed, "cannot read " + path_);
  }
}

void OpenedContext::Save() {
  const std::size_t reports_before = host_->errors().size();
  if (context_->Save(path_)) return;
  FailOnReport(*host_, reports_before, "cannot save " + path_);
  throw CommandFailure(kExitFailed, "cannot save " + path_);
}

}  // namespace tamrel::tool
