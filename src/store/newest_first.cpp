#include "store/newest_first.hpp"

namespace tamrel::detail {

void RemoveLinked(TagStore& items, const std::vector<std::string>& linked_tags,
                  const std::vector<std::string>& dropped, int64_t kept_key) {
  for (const std::string& value : dropped) {
    for (const std::string& tag : linked_tags) {
      items.RemoveIf(tag, value, [&](const ItemRef& item) { return item.Key != kept_key; });
    }
  }
}

}  // namespace tamrel::detail
