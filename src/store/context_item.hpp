// ContextItem: one stored value of the tag store, and the two ways the store
// shows a record it holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamrel::detail {

struct ContextItem {
  std::string Tag;
  std::string Id;
  int16_t Instance = 0;  // 1 = newest
  std::string Value;     // every value is kept as text
  int64_t Key = 0;       // the record's key is "A" + Key, unique in the object
};

// A record held by the store, read-only. The store keeps each Tag once for
// all its records, each Id once per pair and the values in an arena, so a
// record is shown through views rather than as a ContextItem; they stay
// valid until the store next changes.
struct ItemView {
  std::string_view Tag;
  std::string_view Id;
  int16_t Instance;
  std::string_view Value;
  int64_t Key;

  ContextItem Copy() const {
    return ContextItem{std::string(Tag), std::string(Id), Instance, std::string(Value), Key};
  }
};

// A view of `item`, valid while it stays unchanged.
inline ItemView ViewOf(const ContextItem& item) {
  return ItemView{item.Tag, item.Id, item.Instance, item.Value, item.Key};
}

// A record held by the store whose Instance may be changed in place; the
// rest stays as it is.
struct ItemRef {
  std::string_view Tag;
  std::string_view Id;
  int16_t& Instance;
  std::string_view Value;
  int64_t Key;

  operator ItemView() const { return ItemView{Tag, Id, Instance, Value, Key}; }
};

}  // namespace tamrel::detail
