// What both fuzz targets compare: a context's records as plain values, and
// whether their tags and ids are names that any context file keeps as they
// are (letters, digits, "_", "." and "-").
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "tamrel/context.hpp"
#include "tamrel/records.hpp"

namespace tamrel::fuzzing {

using Records = std::vector<std::tuple<std::string, std::string, int16_t, std::string>>;

inline Records RecordsOf(const ContextCls& context) {
  Records records;
  for (const Record& record : tamrel::Records(context)) {
    records.emplace_back(record.tag, record.id, record.instance, record.value);
  }
  return records;
}

inline bool IsPlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '.' || c == '-';
    if (!plain) return false;
  }
  return true;
}

// True when every tag and id of `records` is a plain name.
inline bool HasOnlyPlainNames(const Records& records) {
  for (const auto& [tag, id, instance, value] : records) {
    if (!IsPlainName(tag) || !IsPlainName(id)) return false;
  }
  return true;
}

}  // namespace tamrel::fuzzing
