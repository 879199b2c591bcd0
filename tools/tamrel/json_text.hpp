// JSON output of the tamrel tool.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tamrel/records.hpp"

namespace tamrel::tool {

// `text` as a JSON string, quotes included. Valid UTF-8 passes through;
// a byte that is not part of a valid UTF-8 sequence (a context file in a
// single-byte code page) is written as the Latin-1 character of that byte,
// so the output is always valid JSON.
std::string JsonString(std::string_view text);

// One record as a JSON object with the keys "tag", "id", "instance" (a
// number) and "value", followed by `more` (", \"key\": value" pairs).
std::string RecordAsJson(const Record& record, std::string_view more = "");

// The records as a JSON array of objects with the keys "tag", "id",
// "instance" (a number) and "value", one object per line.
std::string RecordsAsJson(const std::vector<Record>& records);

}  // namespace tamrel::tool
