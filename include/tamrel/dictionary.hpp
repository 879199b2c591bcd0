// Dictionary: the host-side string-keyed map (Scripting.Dictionary).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

// String keys compared case-sensitively; entries keep the order in which
// their keys were first added. As with Scripting.Dictionary, reading the Item
// of a missing key adds that key with an Empty value.
// By name: Exists, Item (get, let with one index), Add, Keys, Items, Count,
// Remove, RemoveAll.
class TAMREL_EXPORT Dictionary : public Object {
 public:
  std::string TypeName() const override { return "Dictionary"; }

  bool Exists(const std::string& key) const;
  // The value under `key`; a missing key is added with an Empty value.
  const Variant& Item(const std::string& key);
  // Replaces the value under `key`, adding the key when it is missing.
  void Item(const std::string& key, const Variant& value);
  // Adds a new key; error 457 when the key is present.
  void Add(const std::string& key, const Variant& value);
  std::vector<std::string> Keys() const;
  std::vector<Variant> Items() const;
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  // Removes `key`; error 5 (invalid argument) when it is missing.
  void Remove(const std::string& key);
  void RemoveAll();

  Variant Get(const std::string& name, const std::vector<Variant>& indices = {}) override;
  void Let(const std::string& name, const Variant& value,
           const std::vector<Variant>& indices = {}) override;
  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;

 private:
  std::vector<std::pair<std::string, Variant>> entries_;
  std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace tamrel
