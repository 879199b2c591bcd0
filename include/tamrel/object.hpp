// Object: the base of everything the library reaches late-bound, by name.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

// An automation object. Members are reached by name, compared without regard
// to letter case as the automation run-time does. The default implementations
// raise error 438 (the object does not support the property or method).
class TAMREL_EXPORT Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;

  // The name of the object's class, as TypeName reports it.
  virtual std::string TypeName() const = 0;

  // Property get; `indices` carries the arguments of an indexed property.
  virtual Variant Get(const std::string& name, const std::vector<Variant>& indices = {});
  // Property let (or set, for an object value).
  virtual void Let(const std::string& name, const Variant& value,
                   const std::vector<Variant>& indices = {});
  // Method call. Arguments are by reference: a method may write back into them.
  virtual Variant Call(const std::string& name, std::vector<Variant>& args);
  // Call with arguments whose changes the caller does not need.
  Variant Call(const std::string& name, std::vector<Variant>&& args) { return Call(name, args); }

 protected:
  // Raises error 438 for `name`.
  [[noreturn]] static void NoSuchMember(const std::string& name);
};

// True when two member names are the same, ignoring ASCII letter case.
TAMREL_EXPORT bool SameName(std::string_view a, std::string_view b);

}  // namespace tamrel
