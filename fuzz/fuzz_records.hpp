// What both fuzz targets share: a failed property aborts the run; a
// context's records, and whether their tags and ids are names that any
// context file keeps as they are (letters, digits, "_", "." and "-").
#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tamrel/records.hpp"

namespace tamrel::fuzzing {

using Records = std::vector<Record>;

inline void Check(bool holds) {
  if (!holds) std::abort();
}

inline bool IsPlainName(const std::string& name) {
  return !name.empty() && name.find_first_not_of(
                              "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                              "0123456789_.-") == std::string::npos;
}

// True when every tag and id of `records` is a plain name.
inline bool HasOnlyPlainNames(const Records& records) {
  return std::ranges::all_of(records, [](const Record& record) {
    return IsPlainName(record.tag) && IsPlainName(record.id);
  });
}

}  // namespace tamrel::fuzzing
