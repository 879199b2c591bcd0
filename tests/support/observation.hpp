// What a context and its host hold, as text: one shape for every test that
// compares two runs, or a run with what it should give, so that failures
// read alike wherever they come from.
#pragma once

#include <iosfwd>
#include <string>

#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/records.hpp"

namespace tamrel {

// GoogleTest shows a record as {tag, id, instance, "value"}.
void PrintTo(const Record& record, std::ostream* out);

}  // namespace tamrel

namespace tamrel::testing {

// The records in store order, one a line, "tag|id|instance|value|A<key>":
// what Records gives, and the key each was filed under.
std::string StoreText(const ContextCls& context);
// The host's calls in order, one a line, "Op #<current error> arg|arg|...".
std::string HostCallsText(const RecordingHost& host);

}  // namespace tamrel::testing
