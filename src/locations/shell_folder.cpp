// MGetSpecialfolder: the path of a special folder, from the platform hooks.
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {

std::string GetSpecialfolder(int32_t CSIDL) { return platform::Current().special_folder(CSIDL); }

}  // namespace tamrel
