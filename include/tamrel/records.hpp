// The records of a context as plain values, for C++ hosts and tools that
// need the whole store at once rather than one tag and id at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/round_trip.hpp"  // RoundTrips, which tells which records a file keeps

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
TAMREL_EXPORT std::vector<Record> Records(const ContextCls& context);

}  // namespace tamrel
