// Load: reads a context file into the store, recovering from the backup
// copy in the Windows folder when the file cannot be decoded.
//
// Outcomes: file missing -> false, nothing touched; decoded -> true and
// `save_location` = the file name; damaged with a readable backup -> true,
// the file moved to "<name>_corrupt(n)" and the backup copied back in its
// place; damaged without a backup, or both damaged -> false and an empty
// store. Records are appended after those already held; `changed` ends true
// only when validation repaired something.
#pragma once

#include <string>

#include "persist/context_state.hpp"

namespace tamrel::detail {

// Holds the instance table of a load, and ends the store's round, for as
// long as the Load runs, however it ends.
class LoadInstancesScope {
 public:
  explicit LoadInstancesScope(ContextState& state);
  ~LoadInstancesScope();
  LoadInstancesScope(const LoadInstancesScope&) = delete;
  LoadInstancesScope& operator=(const LoadInstancesScope&) = delete;

 private:
  ContextState& state_;
  LoadInstances table_;
};

// Leaves every line of `text` without its line break (LF or CR LF), joined:
// what reading the file line by line and appending each line gives, as Load
// does before it decodes a file. Works in place. Returns the number of
// lines.
std::size_t JoinLines(std::string& text);

// The steps of Load, run inside its trap and a LoadInstancesScope. True
// when the file or its backup copy was decoded. Failures outside the two
// decodes are raised.
bool LoadFile(ContextState& state, const std::string& filename);

}  // namespace tamrel::detail
