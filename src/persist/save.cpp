#include "persist/save.hpp"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "persist/context_log.hpp"
#include "persist/context_text.hpp"
#include "persist/older_contexts.hpp"
#include "platform/atomic_file_writer.hpp"
#include "platform/file_paths.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::detail {
namespace {

constexpr int16_t kRetainedCycles = 4;
constexpr int32_t kSaveError = -1;
// Backup copies are the user's alone (POSIX permission bits; no attribute
// on Windows), whatever the file's own permissions.
constexpr uint32_t kPrivateCopy = 0600;

// The characters after the last separator; the whole path without one.
std::string FileNamePart(const std::string& path) {
  const std::size_t separator = detail::LastSeparator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// Removes the temporary files that saves of `target` killed half-way left
// in its folder. Run under the file's lock, so no save of it is writing one
// now; a file that cannot be removed stays, as it would have anyway.
void RemoveLeftTempFiles(platform::FileBackend& files, const std::string& target) {
  const std::string folder = detail::ParentFolderName(target);
  const std::string prefix = detail::TempFilePrefix(target);
  try {
    for (const std::string& name : files.ListFiles(folder.empty() ? "." : folder)) {
      if (name.starts_with(prefix)) files.RemoveFile(detail::JoinPath(folder, name));
    }
  } catch (const Error&) {
    // Left for a later save; this one goes on.
  }
}

class Saver {
 public:
  Saver(detail::ContextState& state, detail::SaveCalls& calls, std::string& path)
      : state_(state), calls_(calls), path_(path), files_(platform::Current().file_system) {}

  void Run(const std::string& filename) {
    ChoosePath(filename);
    state_.changed = false;
    const std::string text = detail::SaveText(state_);
    LogText(text);

    FileSystemObject fso;
    const std::string target = files_->ResolveLinks(detail::WithFolder(path_));
    // The folder comes first: the lock file lives in it.
    EnsureFolder(fso, fso.GetParentFolderName(target));
    ContextFileLock lock(target);
    RemoveLeftTempFiles(*files_, target);
    detail::RequireReplaceable(*files_, target);
    KeepGenerationIfWrittenBeforeToday(target);
    WriteCopy(target, text, std::nullopt);

    const std::string backup = BackupCopyPath(target);
    try {
      RemoveLeftTempFiles(*files_, backup);
      KeepGenerationIfWrittenBeforeToday(backup);
      WriteBackupCopy(backup, text);
    } catch (const Error& failure) {
      Raise(failure.number(), "backup copy " + backup + " not written: " + failure.description(),
            failure.source());
    }
  }

 private:
  void ChoosePath(const std::string& filename) {
    if (!filename.empty()) {
      path_ = filename;
      state_.save_location = filename;
    } else if (state_.save_location.empty()) {
      Raise(kSaveError, "",
            detail::ErrorLocation("Save") + " Default context save filename is blank");
    } else {
      path_ = state_.save_location;
    }
  }

  void LogText(const std::string& text) {
    const std::string name = FileNamePart(path_);
    if (detail::IsCalibrationNameForSave(name)) {
      detail::Host(state_).WriteLog(
          detail::ShortLogLine("Context Save: " + name + " ", text, detail::kShortLogLength));
    } else {
      detail::LogContextFile(state_, name, text);
    }
  }

  // A copy whose last write lies on an earlier calendar day (local time)
  // gets a numbered generation first; one written today or dated in the
  // future is simply replaced.
  void KeepGenerationIfWrittenBeforeToday(const std::string& copy) {
    const platform::FileStatus status = files_->Status(copy);
    if (status.kind != platform::EntryKind::kFile) return;
    const double today = std::floor(platform::Current().now());
    if (today - std::floor(status.modified) < 1) return;
    calls_.KeepGeneration(copy, kRetainedCycles);
  }

  void EnsureFolder(FileSystemObject& fso, const std::string& folder) {
    if (fso.FolderExists(folder) || calls_.MakeFolder(fso, folder)) return;
    Raise(kSaveError, "Unable to create folder: " + folder, detail::ErrorLocation("Save"));
  }

  void WriteCopy(const std::string& copy, const std::string& text,
                 std::optional<platform::NewFileModel> model) {
    detail::AtomicFileWriter writer(files_, copy, std::move(model));
    writer.Append(text);
    writer.Commit();
  }

  // Opening an existing copy, or creating and writing a new one, is tried
  // twice, one second apart; writing an existing copy that opened is not.
  void WriteBackupCopy(const std::string& backup, const std::string& text) {
    const platform::NewFileModel private_copy{.like = "", .permissions = kPrivateCopy};
    std::optional<detail::AtomicFileWriter> existing;
    bool retried = false;
    while (!existing) {
      try {
        if (files_->Kind(backup) == platform::EntryKind::kFile) {
          existing.emplace(files_, backup, private_copy);
        } else {
          WriteCopy(backup, text, private_copy);
          return;
        }
      } catch (...) {
        if (retried) throw;
        calls_.Wait(1);
        retried = true;
      }
    }
    existing->Append(text);
    existing->Commit();
  }

  detail::ContextState& state_;
  detail::SaveCalls& calls_;
  std::string& path_;
  std::shared_ptr<platform::FileBackend> files_;
};

}  // namespace

void ReportSaveFailure(const HostSlot& slot, const std::string& path, const Error& failure) {
  CurrentErrorScope current(failure);
  HostApplication& host = Host(slot);
  host.RegisterError(ErrorLocation("Save"), std::string(kInitialStage));
  host.WriteDetail("Save File: " + path);
  host.HandleError(true, true, false);
}

void SaveFile(ContextState& state, SaveCalls& calls, const std::string& filename,
              std::string& path) {
  Saver(state, calls, path).Run(filename);
}

}  // namespace tamrel::detail
