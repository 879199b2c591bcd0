// CreateObject: the one creatable class of the library by its programmatic
// name, the library name and the class name joined by a dot.
#include <memory>
#include <string>
#include <string_view>

#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/object.hpp"

namespace tamrel {

namespace {
constexpr std::string_view kContextProgId = "Tamrel.ContextCls";
}  // namespace

ObjectRef CreateObject(const std::string& progId) {
  if (!SameName(progId, kContextProgId)) Raise(errc::kCannotCreateObject);
  return std::make_shared<ContextCls>();
}

}  // namespace tamrel
