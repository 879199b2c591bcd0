// RecordDiff: how the records of a file moved from one look to the next,
// keyed by tag, id and instance.
#pragma once

#include <vector>

#include "tamrel/records.hpp"
#include "tamrel/watcher.hpp"

namespace tamrel::detail {

// The records added, changed and removed from `before` to `after`, and the
// records of every tag and id so touched, before and after. Where a file
// holds one tag, id and instance twice, the first counts. Empty lists when
// nothing moved.
ContextChange DiffRecords(const std::vector<Record>& before, const std::vector<Record>& after);

// True when `a` and `b` hold the same records, in whatever order.
bool SameRecords(std::vector<Record> a, std::vector<Record> b);

}  // namespace tamrel::detail
