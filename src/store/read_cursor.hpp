// The read cursors of a context: one 1-based position in the store per
// cursor key Tag + "_" + Id (Tag a_b with Id c shares the cursor of Tag a
// with Id b_c). A cursor is a position, not a record: records removed or
// inserted before it shift what it points at, and nothing adjusts it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "store/tag_store.hpp"

namespace tamrel::detail {

// Cursor key -> 1-based position in the store.
using CursorTable = std::unordered_map<std::string, int32_t>;

std::string CursorKey(const std::string& tag, const std::string& id);

// The cursor of (tag, id), created as `initial` when absent.
int32_t& CursorOf(CursorTable& cursors, const std::string& tag, const std::string& id,
                  int32_t initial);

// Sets the cursor of (tag, id) to 1.
void RewindCursor(CursorTable& cursors, const std::string& tag, const std::string& id);

// The forward scan: moves `cursor` to the first record of (tag, id) at its
// position or later, or past the end (Count() + 1) when there is none.
// Returns whether a record was found.
bool ScanForward(const TagStore& items, const std::string& tag, const std::string& id,
                 int32_t& cursor);

}  // namespace tamrel::detail
