// GetUserPreferences: makes a context the user-preferences context of an
// application, settling a writeable preference folder (asking the user for
// one when the default cannot be written) and loading its preference file.
#include <algorithm>
#include <string>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "platform/file_paths.hpp"
#include "tamrel/context.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

constexpr char kContextName[] = "User";
constexpr char kPreferenceFileName[] = "UserPreferences.tmc";
constexpr char kWarningTitle[] = "Configuration File Location";
constexpr char kWarningText[] =
    "The folder you have selected is not writeable. Please select another.";
constexpr int16_t kOkOnly = 0;
constexpr int32_t kNoOwnerWindow = 0;

// The application-data folder with `application` below it, every "/" of the
// name turned into "-"; no trailing separator.
std::string DefaultPreferenceFolder(const std::string& application) {
  std::string folder = GetSpecialfolder(kCsidlAppData);
  if (folder.empty() || !detail::IsPathSeparator(folder.back())) folder += kPathSeparator;
  std::string folder_name = application;
  std::replace(folder_name.begin(), folder_name.end(), '/', '-');
  return folder + folder_name;
}

// Used as built: a chosen drive root, which ends with its separator, gives
// two separators in a row.
std::string PreferenceFile(const std::string& folder) {
  return folder + kPathSeparator + kPreferenceFileName;
}

bool IsFolderWriteable(const std::string& folder) {
  return platform::Current().is_folder_writeable(folder, false);
}

// Where the preferences go when the user cancels the chooser.
std::string FallbackFolder() { return GetLongPath(platform::Current().library_folder()); }

void ShowNotWriteableWarning() {
  platform::Current().message_box(kWarningText, kOkOnly, kWarningTitle);
}

// One line of progress to the host; fails with 91 without a host.
void Detail(detail::ContextState& state, const std::string& line) {
  detail::Host(state).WriteDetail(line);
}

// Lets the user choose folders until one can be written, and returns it. A
// cancelled choice falls back to the library folder. `folder` is the current
// preference folder, which receives the choice.
std::string ChooseWriteableFolder(detail::ContextState& state, const std::string& application,
                                  std::string folder) {
  const std::string title =
      "Select folder for " + application + " user configuration files (*.tmc)";
  while (true) {
    Detail(state, "Select folder for " + application + " user configuration file (*.tmc)");
    if (BrowseForFolder(kNoOwnerWindow, title, folder)) {
      Detail(state, "Folder Selected: " + folder);
    } else {
      folder = FallbackFolder();
      Detail(state, "Folder Selection Cancelled: " + folder);
    }
    if (IsFolderWriteable(folder)) return folder;
    ShowNotWriteableWarning();
  }
}

}  // namespace

bool ContextCls::GetUserPreferences(const std::string& strAppl) {
  detail::Trapped(*state_, "GetUserPreferences", [&] {
    FileSystemObject fso;
    name(kContextName);
    std::string folder = DefaultPreferenceFolder(strAppl);
    if (!fso.FolderExists(folder)) {
      // First run: nothing to load, and a new folder is writeable.
      MakeFolder(fso, folder);
      Detail(*state_, "Application folder location created: " + folder);
      state_->save_location = PreferenceFile(folder);
      return;
    }
    Detail(*state_, "Application folder location exists: " + folder);
    if (!IsFolderWriteable(folder)) {
      Detail(*state_, "The folder selected is not writeable: " + folder);
      folder = ChooseWriteableFolder(*state_, strAppl, folder);
    }
    const std::string preference_file = PreferenceFile(folder);
    if (!Load(preference_file)) state_->save_location = preference_file;
  });
  return false;
}

}  // namespace tamrel
