#include "tamrel/object.hpp"

#include <algorithm>

#include "tamrel/error.hpp"

namespace tamrel {
namespace {
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

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
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace tamrel
