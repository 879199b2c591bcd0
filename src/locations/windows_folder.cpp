// MGetWindowsFolder: the folder that keeps the backup copies of context
// files, from the platform hooks.
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {

std::string GetWindowsFolder() { return platform::Current().windows_folder(); }

}  // namespace tamrel
