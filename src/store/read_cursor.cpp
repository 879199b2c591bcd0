#include "store/read_cursor.hpp"

namespace tamrel::detail {

std::string CursorKey(const std::string& tag, const std::string& id) {
  std::string key;
  key.reserve(tag.size() + 1 + id.size());
  key.append(tag).append(1, '_').append(id);
  return key;
}

int32_t& CursorOf(CursorTable& cursors, const std::string& tag, const std::string& id,
                  int32_t initial) {
  return cursors.try_emplace(CursorKey(tag, id), initial).first->second;
}

void RewindCursor(CursorTable& cursors, const std::string& tag, const std::string& id) {
  cursors[CursorKey(tag, id)] = 1;
}

bool ScanForward(const TagStore& items, const std::string& tag, const std::string& id,
                 int32_t& cursor) {
  const int32_t found = items.FindFrom(tag, id, cursor);
  cursor = found != 0 ? found : items.Count() + 1;
  return found != 0;
}

}  // namespace tamrel::detail
