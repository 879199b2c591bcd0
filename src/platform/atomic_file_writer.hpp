// Atomic replacement of a file's content.
//
// A symbolic link at the target is written through: the file it leads to is
// the target. The new content goes to a temporary file in the target's
// folder, made with the identity of the file it replaces (or as asked) and
// never more open than that; Commit gives it the date asked for, flushes it,
// renames it over the target and flushes the folder. Until Commit succeeds
// the target keeps its old content; a writer that fails or is destroyed
// uncommitted removes its temporary file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tamrel/filesystem.hpp"

namespace tamrel::detail {

class AtomicFileWriter {
 public:
  // Starts a new content for `target`. Raises 70 when the target is
  // read-only or a folder, 76 when its folder does not exist. The new file
  // is made like the file it replaces (the platform's new file when there is
  // none), or as `model` says when given.
  AtomicFileWriter(std::shared_ptr<platform::FileBackend> backend, std::string target,
                   std::optional<platform::NewFileModel> model = std::nullopt);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // REQUIRES: neither committed nor failed (75 otherwise).
  void Append(std::string_view data);
  // Puts the new content in the target's place; `modified`, when given,
  // becomes its last-modification time. REQUIRES: as for Append.
  void Commit(std::optional<double> modified = std::nullopt);

 private:
  void RequireOpen() const;
  // Runs `step`; on failure abandons the new content and raises again.
  template <class Step>
  void AbandonOnFailure(Step&& step);
  void Abandon() noexcept;

  std::shared_ptr<platform::FileBackend> backend_;
  std::string target_;
  std::string folder_;
  std::string temp_path_;
  std::unique_ptr<platform::WritableFile> file_;
};

// Raises 70 unless `target` may be replaced: it is missing, or a file without
// the read-only mark.
void RequireReplaceable(platform::FileBackend& backend, const std::string& target);

// The start of the names of the temporary files that replace `target` (the
// target's name in it lets a reader of the folder tell whose they are).
std::string TempFilePrefix(const std::string& target);

}  // namespace tamrel::detail
