// The Tags that Add's linkId names.
#pragma once

#include <string>
#include <vector>

namespace tamrel::detail {

// Splits `link_id` at every apostrophe and returns the pieces after the
// first, each trimmed of spaces at both ends: "x'Files' Recent" names Files
// and Recent; a text without an apostrophe names nothing.
std::vector<std::string> LinkedTags(const std::string& link_id);

}  // namespace tamrel::detail
