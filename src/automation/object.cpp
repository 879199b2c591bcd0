#include "tamrel/object.hpp"

#include <algorithm>

#include "automation/ascii_case.hpp"
#include "tamrel/error.hpp"

namespace tamrel {

Variant Object::Get(const std::string& name, const std::vector<Variant>& /*indices*/) {
  NoSuchMember(name);
}

void Object::Let(const std::string& name, const Variant& /*value*/,
                 const std::vector<Variant>& /*indices*/) {
  NoSuchMember(name);
}

Variant Object::Call(const std::string& name, std::vector<Variant>& /*args*/) {
  NoSuchMember(name);
}

void Object::NoSuchMember(const std::string& /*name*/) { Raise(errc::kNoSuchMember); }

bool SameName(std::string_view a, std::string_view b) {
  return detail::EqualsIgnoringAsciiCase(a, b);
}

}  // namespace tamrel
