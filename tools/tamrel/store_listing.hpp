// The whole store of a context, record by record, in store order.
//
// The public interface reads values one tag and id at a time; the one view
// of the whole store in its order is the context text that `log` writes to
// the host: "Context log: LABEL <context>" then one element per record, each
// followed by "~" (its CR LF), then "</context>". The listing reads that text
// back. Each value is escaped in it, so it holds no "<" and ends at the first
// one; the five references are turned back into their characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console_host.hpp"
#include "tamrel/context.hpp"

namespace tamrel::tool {

struct StoreRecord {
  std::string tag;
  std::string id;
  int32_t instance = 0;
  std::string value;

  bool operator==(const StoreRecord&) const = default;
};

// The records of a logged context text (what follows the "Context log:
// LABEL " prefix); nullopt when the text is not of that form.
std::optional<std::vector<StoreRecord>> ParseLoggedContext(std::string_view text);

// The records of `context`, read through its `log` member while `host`
// (which must be the context's host application) captures the line.
// Throws tamrel::Error when the context cannot log or the line is unreadable.
std::vector<StoreRecord> ListRecords(ContextCls& context, ConsoleHost& host);

}  // namespace tamrel::tool
