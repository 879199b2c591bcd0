// ContextItem: one stored value of the tag store, and the two ways the store
// shows a record it holds.
#pragma once

#include <cstdint>
#include <string>

namespace tamrel::detail {

struct ContextItem {
  std::string Tag;
  std::string Id;
  int16_t Instance = 0;  // 1 = newest
  std::string Value;     // every value is kept as text
  int64_t Key = 0;       // the record's key is "A" + Key, unique in the object
};

// A record held by the store, read-only. The store keeps each Tag and Id
// once for all the records of the pair, so a record is shown through
// references rather than as a ContextItem; they stay valid until the store
// next changes.
struct ItemView {
  const std::string& Tag;
  const std::string& Id;
  const int16_t& Instance;
  const std::string& Value;
  const int64_t& Key;

  ContextItem Copy() const { return ContextItem{Tag, Id, Instance, Value, Key}; }
};

// A record held by the store whose Instance, Value and Key may be changed in
// place; its Tag and Id index the store and stay as they are.
struct ItemRef {
  const std::string& Tag;
  const std::string& Id;
  int16_t& Instance;
  std::string& Value;
  int64_t& Key;

  operator ItemView() const { return ItemView{Tag, Id, Instance, Value, Key}; }
};

}  // namespace tamrel::detail
