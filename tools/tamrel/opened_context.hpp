// A context file opened by the tamrel tool: a new ContextCls with the tool's
// host, named after the file, filled by Load. Opened for writing, it is
// loaded the way a host application loads it (a damaged file is set aside
// and restored from its backup copy) under the file's ContextFileLock, held
// until the object is destroyed. Opened for reading, it is loaded over a
// read-only view of the disk (ReadOnlyView), so that nothing on disk changes.
#pragma once

#include <cstddef>
#include <exception>
#include <memory>
#include <ostream>
#include <string>

#include "console_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/context_file_lock.hpp"

namespace tamrel::tool {

// Ends a command with an exit status and a one-line message ("" for none).
class CommandFailure : public std::exception {
 public:
  CommandFailure(int status, std::string message) : status_(status), message_(std::move(message)) {}
  int status() const { return status_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  int status_;
  std::string message_;
};

// Throws CommandFailure(kExitFailed, "`what`: <the error>") when `host`
// received an error report after the first `reports_before` ones.
void FailOnReport(const ConsoleHost& host, std::size_t reports_before, const std::string& what);

enum class FileMissing { kRefuse, kStartEmpty };
enum class Access { kRead, kWrite };

class OpenedContext {
 public:
  // Opens `file`. A missing file ends the command with status 1 unless
  // `missing` is kStartEmpty, which gives an empty context that Save will
  // create (its missing folders are made at once, for the lock file). For
  // writing, a recovered file is announced on `err`, and a lock that another
  // program holds past the wait ends the command with status 3; for reading,
  // a damaged file whose backup copy loads gives the backup's values with a
  // warning on `err`. A damaged file without a usable backup copy, or a Load
  // that failed, ends the command with status 3; so do a folder, a FIFO or a
  // device at `file`, a path that cannot be looked up, and a lock file that
  // is not a regular file or cannot be made, each named with its cause.
  // REQUIRES: `err` outlives the object.
  OpenedContext(const std::string& file, std::shared_ptr<ConsoleHost> host, std::ostream& err,
                FileMissing missing, Access access);
  OpenedContext(OpenedContext&&) = default;
  ~OpenedContext();

  ContextCls& context() { return *context_; }
  const std::string& path() const { return path_; }

  // Saves the context to its file and its backup copy; a failure ends the
  // command with status 3. Returns kExitOk, or kExitBackupNotWritten when the
  // file was saved but its backup copy was not, which is then told on `err`.
  // REQUIRES: opened for writing.
  [[nodiscard]] int Save();

  // What the Load found.
  bool was_damaged() const { return damaged_; }
  const std::string& corrupt_name() const { return corrupt_name_; }
  std::string backup_path() const;

 private:
  void TakeLock();
  void LoadForWriting(std::ostream& err, FileMissing missing);
  void LoadForReading(std::ostream& err, FileMissing missing);
  // Ends the command when the Load that gave `loaded` failed.
  void RequireLoaded(bool loaded, const ConsoleHost& host, std::size_t reports_before) const;

  std::string path_;
  std::shared_ptr<ConsoleHost> host_;
  std::ostream* err_;
  std::shared_ptr<ContextCls> context_;
  std::unique_ptr<ContextFileLock> lock_;
  bool damaged_ = false;
  std::string corrupt_name_;
};

}  // namespace tamrel::tool
