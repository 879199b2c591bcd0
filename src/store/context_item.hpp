// ContextItem: one stored value of the tag store.
#pragma once

#include <cstdint>
#include <string>

namespace tamrel::detail {

struct ContextItem {
  std::string Tag;
  std::string Id;
  int16_t Instance = 0;  // 1 = newest
  std::string Value;     // every value is kept as text
  std::string Key;       // unique in the object: "A" + counter (NextItemKey)
};

}  // namespace tamrel::detail
