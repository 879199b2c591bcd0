// HostApplication by name: the six operations with their arguments converted
// to the declared types, as a late-bound caller reaches them.
#include <string>
#include <vector>

#include "automation/arguments.hpp"
#include "tamrel/error.hpp"
#include "tamrel/host.hpp"

namespace tamrel {

using detail::RequireArgumentCount;

Variant HostApplication::Call(const std::string& name, std::vector<Variant>& args) {
  if (SameName(name, "WriteLog")) {
    RequireArgumentCount(args, 1);
    WriteLog(CStr(args[0]));
    return Variant();
  }
  if (SameName(name, "RegisterError")) {
    RequireArgumentCount(args, 2);
    RegisterError(CStr(args[0]), CStr(args[1]));
    return Variant();
  }
  if (SameName(name, "GetErrorText")) {
    RequireArgumentCount(args, 1);
    std::string text = CStr(args[0]);
    GetErrorText(text);
    args[0] = Variant(std::move(text));
    return Variant();
  }
  if (SameName(name, "HandleError")) {
    RequireArgumentCount(args, 3);
    return HandleError(CBool(args[0]), CBool(args[1]), CBool(args[2]));
  }
  if (SameName(name, "WriteDetail")) {
    RequireArgumentCount(args, 1);
    WriteDetail(CStr(args[0]));
    return Variant();
  }
  if (SameName(name, "ShowMessage")) {
    RequireArgumentCount(args, 5);
    return ShowMessage(CStr(args[0]), CInt(args[1]), CStr(args[2]), CStr(args[3]), CLng(args[4]));
  }
  NoSuchMember(name);
}

}  // namespace tamrel
