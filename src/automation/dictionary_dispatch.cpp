// The Dictionary's members by name, as late-bound callers reach them. Keys
// given as other kinds are taken by their text (CStr).
#include <string>
#include <vector>

#include "automation/arguments.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
namespace {

using detail::RequireArgumentCount;

Variant ZeroBasedArray(std::vector<Variant> values) {
  return Variant(VariantArray(std::move(values), 0));
}

std::vector<Variant> AsVariants(const std::vector<std::string>& texts) {
  return std::vector<Variant>(texts.begin(), texts.end());
}

}  // namespace

Variant Dictionary::Get(const std::string& name, const std::vector<Variant>& indices) {
  std::vector<Variant> args = indices;
  return Call(name, args);
}

void Dictionary::Let(const std::string& name, const Variant& value,
                     const std::vector<Variant>& indices) {
  if (!SameName(name, "Item")) NoSuchMember(name);
  RequireArgumentCount(indices, 1);
  Item(CStr(indices[0]), value);
}

Variant Dictionary::Call(const std::string& name, std::vector<Variant>& args) {
  if (SameName(name, "Item")) {
    RequireArgumentCount(args, 1);
    return Item(CStr(args[0]));
  }
  if (SameName(name, "Exists")) {
    RequireArgumentCount(args, 1);
    return Variant(Exists(CStr(args[0])));
  }
  if (SameName(name, "Add")) {
    RequireArgumentCount(args, 2);
    Add(CStr(args[0]), args[1]);
    return Variant();
  }
  if (SameName(name, "Remove")) {
    RequireArgumentCount(args, 1);
    Remove(CStr(args[0]));
    return Variant();
  }
  if (SameName(name, "RemoveAll")) {
    RequireArgumentCount(args, 0);
    RemoveAll();
    return Variant();
  }
  if (SameName(name, "Count")) {
    RequireArgumentCount(args, 0);
    return Variant(Count());
  }
  if (SameName(name, "Keys")) {
    RequireArgumentCount(args, 0);
    return ZeroBasedArray(AsVariants(Keys()));
  }
  if (SameName(name, "Items")) {
    RequireArgumentCount(args, 0);
    return ZeroBasedArray(Items());
  }
  NoSuchMember(name);
}

}  // namespace tamrel
