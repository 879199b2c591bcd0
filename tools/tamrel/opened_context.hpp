// A context file opened by the tamrel tool the way a host application opens
// it: a new ContextCls with the tool's host, named after the file, filled by
// Load, so a damaged file is set aside and restored from its backup copy.
#pragma once

#include <cstddef>
#include <exception>
#include <memory>
#include <ostream>
#include <string>

#include "console_host.hpp"
#include "tamrel/context.hpp"

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

// The absolute form of a path given on the command line; the file and its
// folders need not exist.
std::string AbsolutePath(const std::string& path);

enum class FileMissing { kRefuse, kStartEmpty };

class OpenedContext {
 public:
  // Opens `file`. A missing file ends the command with status 1 unless
  // `missing` is kStartEmpty, which gives an empty context that Save will
  // create. A recovered file is announced on `err`; a damaged file that
  // could not be restored, or a Load that failed, ends the command with
  // status 3. REQUIRES: `err` outlives the object.
  OpenedContext(const std::string& file, std::shared_ptr<ConsoleHost> host, std::ostream& err,
                FileMissing missing);

  ContextCls& context() { return *context_; }
  const std::string& path() const { return path_; }

  // Saves the context to its file (and its backup copy); a failure ends the
  // command with status 3.
  void Save();

 private:
  void Load(std::ostream& err, FileMissing missing);

  std::string path_;
  std::shared_ptr<ConsoleHost> host_;
  std::shared_ptr<ContextCls> context_;
};

}  // namespace tamrel::tool
