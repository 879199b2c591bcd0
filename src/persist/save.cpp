// ContextCls::Save: writes the store to the context file and to its backup
// copy in the Windows folder.
//
// A copy last written on an earlier calendar day is first turned into a
// numbered generation (RenameAsNextFileCycle(path, 4)). From that day check
// to the end of the backup copy Save holds the file's ContextFileLock, so
// that two savers never mix their generations and copies. Each copy is
// replaced atomically by the file-system layer, so a failed or interrupted
// write leaves the old text. The backup copy gets one more try after
// Wait(1) when opening it (or creating and writing a new one) fails.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "context/context_state.hpp"
#include "context/error_trap.hpp"
#include "persist/context_log.hpp"
#include "persist/context_text.hpp"
#include "persist/readable_keys.hpp"
#include "tamrel/context.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

constexpr std::string_view kCalibrationFile = "CalibrationSettings.tmc";
constexpr std::size_t kShortLogLength = 200;
constexpr int16_t kRetainedCycles = 4;
constexpr int32_t kSaveError = -1;

// The characters after the last separator; the whole path without one.
std::string FileNamePart(const std::string& path) {
  std::size_t separator = path.rfind(kPathSeparator);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// The uniform trap with the "Save File: <path>" detail between
// RegisterError and HandleError.
template <class Body>
void SaveTrapped(detail::ContextState& state, const std::string& path, Body&& body) {
  Error failure(0);
  try {
    body();
    return;
  } catch (...) {
    failure = detail::CurrentExceptionAsError();
  }
  detail::CurrentErrorScope current(failure);
  HostApplication& host = detail::Host(state);
  host.RegisterError(detail::ErrorLocation("Save"), std::string(detail::kInitialStage));
  host.WriteDetail("Save File: " + path);
  host.HandleError(true, true, false);
}

void WriteAndClose(TextStream& stream, const std::string& text) {
  stream.Write(text);
  stream.Close();
}

class Saver {
 public:
  Saver(ContextCls& context, std::string& path)
      : context_(context), state_(detail::StateOf(context)), path_(path) {}

  void Run(const std::string& filename) {
    ChoosePath(filename);
    state_.changed = false;
    RequireReadableKeys();
    const std::string text = detail::SaveText(state_);
    LogText(text);

    FileSystemObject fso;
    // The folder comes first: the lock file lives in it.
    EnsureFolder(fso, fso.GetParentFolderName(path_));
    ContextFileLock lock(path_);
    RotateIfWrittenBeforeToday(fso, path_);
    WriteMainCopy(fso, text);

    const std::string backup = GetWindowsFolder() + kPathSeparator + fso.GetFileName(path_);
    RotateIfWrittenBeforeToday(fso, backup);
    WriteBackupCopy(fso, backup, text);
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

  // A key that would leave the file unreadable fails the Save before
  // anything is logged or written: the copies on disk keep loading.
  void RequireReadableKeys() {
    state_.items.ForEach([](const detail::ItemView& item) {
      if (detail::KeepsFileReadable(item.Tag, item.Id)) return;
      Raise(errc::kIllegalContextParam,
            "The tag '" + std::string(item.Tag) + "' with the id '" + std::string(item.Id) +
                "' would leave the context file unreadable",
            detail::ErrorLocation("Save"));
    });
  }

  void LogText(const std::string& text) {
    const std::string name = FileNamePart(path_);
    if (name == kCalibrationFile) {
      detail::Host(state_).WriteLog(
          detail::ShortLogLine("Context Save: " + name + " ", text, kShortLogLength));
    } else {
      detail::LogContextFile(state_, name, text);
    }
  }

  // A copy whose last write lies on an earlier calendar day (local time)
  // becomes the next numbered generation; one written today or dated in the
  // future is simply overwritten.
  void RotateIfWrittenBeforeToday(FileSystemObject& fso, const std::string& path) {
    if (!fso.FileExists(path)) return;
    double modified = fso.GetFile(path).DateLastModified();
    double today = std::floor(platform::Current().now());
    if (today - std::floor(modified) >= 1) context_.RenameAsNextFileCycle(path, kRetainedCycles);
  }

  void EnsureFolder(FileSystemObject& fso, const std::string& folder) {
    if (fso.FolderExists(folder) || context_.MakeFolder(fso, folder)) return;
    Raise(kSaveError, "Unable to create folder: " + folder, detail::ErrorLocation("Save"));
  }

  void WriteMainCopy(FileSystemObject& fso, const std::string& text) {
    TextStream stream = fso.FileExists(path_)
                            ? fso.GetFile(path_).OpenAsTextStream(IOMode::ForWriting)
                            : fso.CreateTextFile(path_, true, false);
    WriteAndClose(stream, text);
  }

  // Opening an existing copy, or creating and writing a new one, is tried
  // twice, one second apart; writing an existing copy that opened is not.
  void WriteBackupCopy(FileSystemObject& fso, const std::string& backup, const std::string& text) {
    std::optional<TextStream> existing;
    bool retried = false;
    while (!existing) {
      try {
        if (fso.FileExists(backup)) {
          existing.emplace(fso.GetFile(backup).OpenAsTextStream(IOMode::ForWriting));
        } else {
          TextStream created = fso.CreateTextFile(backup, true, false);
          WriteAndClose(created, text);
          return;
        }
      } catch (...) {
        if (retried) throw;
        context_.Wait(1);
        retried = true;
      }
    }
    WriteAndClose(*existing, text);
  }

  ContextCls& context_;
  detail::ContextState& state_;
  std::string& path_;
};

}  // namespace

bool ContextCls::Save(const std::string& filename) {
  detail::ContextState& state = *state_;
  bool result = false;
  std::string path;
  SaveTrapped(state, path, [&] {
    Saver(*this, path).Run(filename);
    result = true;
  });
  return result;
}

}  // namespace tamrel
