// Platform hooks: everything the library asks of the operating system.
//
// One replaceable set of hooks per thread. The native defaults suit a console
// program; a GUI host installs its own message box and folder chooser, and
// tests install fakes and fault-injecting file systems, with platform::Scope.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

// The special folder of roaming application data, where application folders
// go (CSIDL_APPDATA).
inline constexpr int32_t kCsidlAppData = 26;

}  // namespace tamrel

namespace tamrel::platform {

class FileBackend;  // tamrel/filesystem.hpp

struct BooleanWords {
  std::string true_word = "True";
  std::string false_word = "False";
};

struct Hooks {
  // The platform message box: prompt, style (0 OK only, 48 exclamation + OK),
  // title. Returns the button pressed (1 = OK). Default: writes the title and
  // the text to standard error and answers OK.
  std::function<Variant(const std::string& prompt, int16_t style, const std::string& title)>
      message_box;
  // Processes the thread's pending window messages. Default: does nothing.
  std::function<void()> pump_messages;
  // Local time now, as an OLE date.
  std::function<double()> now;
  // Seconds since local midnight, as the run-time's Timer gives them.
  std::function<float()> seconds_since_midnight;
  // The words the platform's Boolean-to-text conversion gives: "True"/"False"
  // on an English system.
  std::function<BooleanWords()> boolean_words;

  // Folder services. A special folder by its CSIDL number ("" when unknown);
  // the Windows folder (where backup copies go); the long form of an existing
  // path ("" when it cannot be resolved); the library's own folder.
  std::function<std::string(int32_t csidl)> special_folder;
  std::function<std::string()> windows_folder;
  std::function<std::string(const std::string& path)> long_path;
  std::function<std::string()> library_folder;
  // The modal folder chooser: true with `folder` set when a file-system folder
  // was chosen, false (folder untouched) on cancel. The default, having nobody
  // to ask, raises an error.
  std::function<bool(int32_t owner_window, const std::string& title, std::string& folder)>
      browse_for_folder;
  // FileUtility.IsFolderWriteable: true when files can be created in `folder`.
  // Default: creates and removes a probe file there.
  std::function<bool(const std::string& folder, bool option)> is_folder_writeable;

  // The file system under FileSystemObject.
  std::shared_ptr<FileBackend> file_system;
};

// The native hooks of this platform.
TAMREL_EXPORT Hooks NativeHooks();

// The hooks in force on this thread: the innermost Scope's, else the native.
TAMREL_EXPORT const Hooks& Current();

// Installs `hooks` for the current thread for the lifetime of the scope;
// scopes nest. Hooks left empty in `hooks` are taken from the hooks in force
// when the scope is made. REQUIRES: scopes end in reverse order on the thread
// that made them.
class TAMREL_EXPORT Scope {
 public:
  explicit Scope(Hooks hooks);
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  const Hooks* previous_;
  Hooks hooks_;
};

// For command-line programs: the arguments after the program's name as
// UTF-8 text. On POSIX they are argv as given; on Windows they are read from
// the UTF-16 command line, as argv would lose what the code page cannot hold.
TAMREL_EXPORT std::vector<std::string> CommandLineArguments(int argc, char** argv);

// For command-line programs: standard output and error take UTF-8 bytes and
// pass them on unchanged (on Windows: the console's code page becomes UTF-8
// and no line ending is rewritten).
TAMREL_EXPORT void UseUtf8Console();

}  // namespace tamrel::platform
