// mGetLongPathName: the long form of a path. It never raises: whatever goes
// wrong in the platform call, the caller gets its path back unchanged.
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {

std::string GetLongPath(const std::string& path) {
  try {
    return platform::Current().long_path(path);
  } catch (...) {
    return path;
  }
}

}  // namespace tamrel
