// Records as the tool prints them in columns: tag, id, instance and value,
// the tags and ids padded to the widest of the records given.
#pragma once

#include <string>
#include <vector>

#include "tamrel/records.hpp"

namespace tamrel::tool {

// One line per record, without its line break.
std::vector<std::string> RecordColumns(const std::vector<Record>& records);

}  // namespace tamrel::tool
