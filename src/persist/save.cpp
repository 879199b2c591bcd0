#include "persist/save.hpp"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "persist/context_log.hpp"
#include "persist/context_text.hpp"
#include "persist/older_contexts.hpp"
#include "platform/file_paths.hpp"
#include "platform/text_stream_impl.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

constexpr int16_t kRetainedCycles = 4;
constexpr int32_t kSaveError = -1;

// The characters after the last separator; the whole path without one.
std::string FileNamePart(const std::string& path) {
  const std::size_t separator = detail::LastSeparator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

void WriteAndClose(TextStream& stream, const std::string& text) {
  stream.Write(text);
  stream.Close();
}

class Saver {
 public:
  Saver(detail::ContextState& state, detail::SaveCalls& calls, std::string& path)
      : state_(state), calls_(calls), path_(path) {}

  void Run(const std::string& filename) {
    ChoosePath(filename);
    state_.changed = false;
    const std::string text = detail::SaveText(state_);
    LogText(text);

    FileSystemObject fso;
    // The folder comes first: the lock file lives in it.
    EnsureFolder(fso, fso.GetParentFolderName(path_));
    ContextFileLock lock(path_);
    const Successor main_copy = RotateIfWrittenBeforeToday(fso, path_);
    WriteMainCopy(fso, text, main_copy);

    const std::string backup = BackupCopyPath(path_);
    const Successor backup_copy = RotateIfWrittenBeforeToday(fso, backup);
    WriteBackupCopy(fso, backup, text, backup_copy);
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

  // What a copy written anew takes over from the one rotated away: its
  // permissions, so that a private settings file stays private from one
  // day to the next. None when nothing was rotated, or when the old copy was
  // read-only (a new copy is one Save may write again that day).
  using Successor = std::optional<uint32_t>;

  // A copy whose last write lies on an earlier calendar day (local time)
  // becomes the next numbered generation; one written today or dated in the
  // future is simply overwritten.
  Successor RotateIfWrittenBeforeToday(FileSystemObject& fso, const std::string& path) {
    if (!fso.FileExists(path)) return std::nullopt;
    double modified = fso.GetFile(path).DateLastModified();
    double today = std::floor(platform::Current().now());
    if (today - std::floor(modified) < 1) return std::nullopt;
    const platform::FileStatus old = platform::Current().file_system->Status(path);
    calls_.RenameAsNextFileCycle(path, kRetainedCycles);
    if (old.kind != platform::EntryKind::kFile || old.read_only) return std::nullopt;
    return old.permissions;
  }

  // A stream writing the copy at `path`, which is missing.
  static TextStream NewCopy(FileSystemObject& fso, const std::string& path, Successor successor) {
    if (!successor) return fso.CreateTextFile(path, true, false);
    return detail::OpenTextForWriting(platform::Current().file_system, path, false, successor);
  }

  void EnsureFolder(FileSystemObject& fso, const std::string& folder) {
    if (fso.FolderExists(folder) || calls_.MakeFolder(fso, folder)) return;
    Raise(kSaveError, "Unable to create folder: " + folder, detail::ErrorLocation("Save"));
  }

  void WriteMainCopy(FileSystemObject& fso, const std::string& text, Successor successor) {
    TextStream stream = fso.FileExists(path_)
                            ? fso.GetFile(path_).OpenAsTextStream(IOMode::ForWriting)
                            : NewCopy(fso, path_, successor);
    WriteAndClose(stream, text);
  }

  // Opening an existing copy, or creating and writing a new one, is tried
  // twice, one second apart; writing an existing copy that opened is not.
  void WriteBackupCopy(FileSystemObject& fso, const std::string& backup, const std::string& text,
                       Successor successor) {
    std::optional<TextStream> existing;
    bool retried = false;
    while (!existing) {
      try {
        if (fso.FileExists(backup)) {
          existing.emplace(fso.GetFile(backup).OpenAsTextStream(IOMode::ForWriting));
        } else {
          TextStream created = NewCopy(fso, backup, successor);
          WriteAndClose(created, text);
          return;
        }
      } catch (...) {
        if (retried) throw;
        calls_.Wait(1);
        retried = true;
      }
    }
    WriteAndClose(*existing, text);
  }

  detail::ContextState& state_;
  detail::SaveCalls& calls_;
  std::string& path_;
};

}  // namespace

void detail::ReportSaveFailure(const HostSlot& slot, const std::string& path,
                               const Error& failure) {
  CurrentErrorScope current(failure);
  HostApplication& host = Host(slot);
  host.RegisterError(ErrorLocation("Save"), std::string(kInitialStage));
  host.WriteDetail("Save File: " + path);
  host.HandleError(true, true, false);
}

void detail::SaveFile(ContextState& state, SaveCalls& calls, const std::string& filename,
                      std::string& path) {
  Saver(state, calls, path).Run(filename);
}

}  // namespace tamrel
