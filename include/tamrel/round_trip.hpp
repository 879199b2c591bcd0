// Which records a context file keeps: a question of the file format alone,
// answered without a context. tamrel/records.hpp includes it.
#pragma once

#include <string>

#include "tamrel/export.hpp"

namespace tamrel {

// True when a context file gives back a record of `tag`, `id` and `value`
// exactly as given, that is when Save writes it and Load reads it again
// unchanged. False, for example, for a tag with a blank or ">" in it, the
// tag "context" in any letter case, an id with a double quote or opening
// blanks, an id that holds the element's own end tag, or a line feed
// anywhere. Some of these keys leave the whole file unreadable, so that the
// next Load sets it aside with all its values: check keys that come from
// outside the program before they are stored. Says nothing of what Add
// refuses (an empty tag or id). Never raises except when memory runs out.
TAMREL_EXPORT bool RoundTrips(const std::string& tag, const std::string& id,
                              const std::string& value);

}  // namespace tamrel
