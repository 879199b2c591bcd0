// The records of a context as plain values, for C++ hosts and tools that
// need the whole store at once rather than one tag and id at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamrel {

class ContextCls;

// One stored value: its tag, id and instance number, and its text.
struct Record {
  std::string tag, id;
  int16_t instance;
  std::string value;

  bool operator==(const Record&) const = default;
};

// Every record of `context`, in store order (the order Save writes them in:
// newest Add first, loaded and CloneAdd records in the order they came).
// Reads only: no cursor moves, nothing is reported to the host; never
// raises except when memory runs out.
std::vector<Record> Records(const ContextCls& context);

// True when a context file gives back a record of `tag`, `id` and `value`
// exactly as given, that is when Save writes it and Load reads it again
// unchanged. False, for example, for a tag with a blank or ">" in it, the
// tag "context" in any letter case, an id with a double quote or opening
// blanks, an id that holds the element's own end tag, or a line feed
// anywhere. Some of these keys leave the whole file unreadable, so that the
// next Load sets it aside with all its values: check keys that come from
// outside the program before they are stored. Says nothing of what Add
// refuses (an empty tag or id). Never raises except when memory runs out.
bool RoundTrips(const std::string& tag, const std::string& id, const std::string& value);

}  // namespace tamrel
