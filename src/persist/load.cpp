#include "persist/load.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "automation/application_title.hpp"
#include "automation/error_trap.hpp"
#include "persist/byte_search.hpp"
#include "persist/context_log.hpp"
#include "persist/context_state.hpp"
#include "persist/context_text.hpp"
#include "persist/older_contexts.hpp"
#include "persist/process_xml.hpp"
#include "platform/atomic_file_writer.hpp"
#include "platform/file_paths.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::detail {
namespace {

// Fewest bytes of an element worth making room for ("<a id=b>c</a>" and
// more).
constexpr std::size_t kMinBytesPerElement = 16;

}  // namespace

std::size_t JoinLines(std::string& text) {
  std::size_t joined = 0;  // end of the joined lines so far
  std::size_t from = 0;
  std::size_t lines = 1;
  auto keep = [&](std::size_t end) {
    std::char_traits<char>::move(text.data() + joined, text.data() + from, end - from);
    joined += end - from;
  };
  for (std::size_t lf = FindByte<'\n'>(text); lf != text.size(); lf = FindByte<'\n'>(text, from)) {
    keep((lf > from && text[lf - 1] == '\r') ? lf - 1 : lf);
    from = lf + 1;
    ++lines;
  }
  keep(text.size());
  text.resize(joined);
  return lines;
}

namespace {

void RemoveCrLf(std::string& text) {
  if (text.find(detail::kCrLf) == std::string::npos) return;
  std::string kept;
  kept.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(detail::kCrLf); at != std::string::npos;
       at = text.find(detail::kCrLf, from)) {
    kept.append(text, from, at - from);
    from = at + detail::kCrLf.size();
  }
  kept.append(text, from);
  text = std::move(kept);
}

// About how many records a file of `lines` lines, `joined_size` characters
// once joined, holds: Save writes one record a line. Sizes the store once,
// up front; bounded by the size so that a file of empty lines claims nothing.
std::size_t RecordEstimate(std::size_t lines, std::size_t joined_size) {
  return std::min(lines, joined_size / kMinBytesPerElement);
}

std::string ReadWhole(const File& file) {
  TextStream stream = file.OpenAsTextStream(IOMode::ForReading);
  std::string text = stream.ReadAll();
  stream.Close();
  return text;
}

// A bare file name has the empty text as its folder: the current folder.
std::string FolderPrefix(const std::string& folder) {
  return (folder.empty() ? std::string(".") : folder) + kPathSeparator;
}

std::string DateText(double ole_date) { return CStr(Variant::FromDate(ole_date)); }

// One Load: the steps between the main trap's arming and its end.
class Loader {
 public:
  Loader(detail::ContextState& state, const std::string& filename)
      : state_(state), filename_(filename) {}

  // True when the file or its backup copy was decoded. Failures outside the
  // two decode calls are raised to the caller's trap.
  bool Run() {
    state_.changed = false;
    // Looked for and read in one step: no file, no Load.
    std::optional<std::string> read = platform::Current().file_system->ReadFileIfExists(filename_);
    if (!read) return false;
    std::string text = std::move(*read);
    // Joining the lines removes every line feed: unlike the backup copy,
    // which is read whole, this text has no CR LF left to drop.
    const std::size_t lines = detail::JoinLines(text);
    LogText(text);
    const std::size_t records = RecordEstimate(lines, text.size());
    // The values take less than the text they are read from. A settings
    // file repeats some pairs (lists of instances), so the index is sized
    // for seven pairs in eight records: sized for a pair a record, a large
    // file's index would often be halved again after the Load, a rehash of
    // every entry; a file with fewer repeats has it grow once instead.
    state_.items.Reserve(
        static_cast<int32_t>(std::min<std::size_t>(records, std::numeric_limits<int32_t>::max())),
        records - records / 8, text.size());
    try {
      detail::DecodeXML(state_, text);
    } catch (...) {
      return RecoverFromBackup();
    }
    state_.save_location = filename_;
    return true;
  }

 private:
  void LogText(const std::string& text) {
    if (detail::IsCalibrationPathForLoad(filename_)) {
      detail::Host(state_).WriteLog(
          detail::ShortLogLine("Context log: " + filename_ + " ", text, detail::kShortLogLength));
    } else {
      detail::LogContextFile(state_, filename_, text);
    }
  }

  // Sets the damaged file aside and, when the backup copy decodes, puts a
  // copy of it in the file's place. A symbolic link is followed: the file it
  // leads to is set aside and restored in its own folder, and the link
  // stays. Holds the file's lock meanwhile, so that no save comes between.
  bool RecoverFromBackup() {
    ClearCurrentError();
    detail::Host(state_).WriteDetail("Error occurred loading: " + filename_);
    const std::shared_ptr<platform::FileBackend>& files = platform::Current().file_system;
    const std::string target = files->ResolveLinks(detail::WithFolder(filename_));
    ContextFileLock lock(target);
    File damaged = fso_.GetFile(target);
    const std::string folder = fso_.GetParentFolderName(target);
    const double damaged_date = damaged.DateLastModified();
    damaged.Name(CorruptName(FolderPrefix(folder), damaged.Name()));

    // The path Save writes the backup to, also when the Windows folder is "".
    const std::string backup_path = BackupCopyPath(target);
    if (!fso_.FileExists(backup_path)) {
      ShowMessage("The backup configuration file: " + backup_path + " does not exist.");
      state_.items.Clear();
      return false;
    }
    File backup = fso_.GetFile(backup_path);
    const double backup_date = backup.DateLastModified();
    ShowMessage("Error reading the context file: " + filename_ +
                " dated: " + DateText(damaged_date) +
                "\r\n\r\nReverting to version saved on: " + DateText(backup_date));
    const std::string saved = ReadWhole(backup);
    std::string text = saved;
    RemoveCrLf(text);
    try {
      detail::DecodeXML(state_, text);
    } catch (...) {
      GiveUpOnBackup(backup);
      return false;
    }
    // The copy takes the damaged file's identity (its owner, permissions,
    // access control list) and the backup copy's date.
    detail::AtomicFileWriter restored(
        files, target, platform::NewFileModel{.like = damaged.Path(), .permissions = std::nullopt});
    restored.Append(saved);
    restored.Commit(backup_date);
    return true;
  }

  void GiveUpOnBackup(File& backup) {
    ClearCurrentError();
    const std::string corrupt_name =
        CorruptName(FolderPrefix(fso_.GetParentFolderName(backup.Path())), backup.Name());
    ShowMessage("Error reading the backup configuration file: " + backup.Path() +
                " dated: " + DateText(backup.DateLastModified()) +
                "\r\n\r\nReverting to an empty configuration file.");
    backup.Name(corrupt_name);
    state_.items.Clear();
  }

  // "<name>_corrupt(n)" with the smallest n from 1 that no file in the folder
  // (`prefix`: the folder and a separator) has yet; n is a 16-bit number, so
  // the search ends with an overflow.
  std::string CorruptName(const std::string& prefix, const std::string& name) const {
    for (int32_t n = 1; n <= std::numeric_limits<int16_t>::max(); ++n) {
      std::string candidate = name + "_corrupt(" + std::to_string(n) + ")";
      if (!fso_.FileExists(prefix + candidate)) return candidate;
    }
    Raise(errc::kOverflow);
  }

  void ShowMessage(const std::string& prompt) {
    detail::Host(state_).ShowMessage(
        prompt, 0, detail::CurrentApplicationTitle() + " Context File Error", "", 0);
  }

  detail::ContextState& state_;
  const std::string& filename_;
  FileSystemObject fso_;
};

}  // namespace

LoadInstancesScope::LoadInstancesScope(ContextState& state) : state_(state) {
  state_.load_instances = &table_;
}

LoadInstancesScope::~LoadInstancesScope() {
  state_.load_instances = nullptr;
  state_.items.EndRound();
  state_.items.ShrinkToFit();
}

bool LoadFile(ContextState& state, const std::string& filename) {
  return Loader(state, filename).Run();
}

}  // namespace tamrel::detail
