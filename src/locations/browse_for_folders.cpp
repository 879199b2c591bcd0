// mBrowseForFolders: the modal folder chooser of the platform hooks.
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {

bool BrowseForFolder(int32_t ownerWindow, const std::string& title, std::string& folder) {
  // The chooser works on a copy, so that a cancelled choice cannot leave
  // anything in the caller's variable.
  std::string chosen = folder;
  if (!platform::Current().browse_for_folder(ownerWindow, title, chosen)) return false;
  folder = chosen;
  return true;
}

}  // namespace tamrel
