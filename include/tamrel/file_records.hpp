// FileRecords: what a context file holds, read without changing anything on
// disk: no damaged file is set aside, no backup copy is read or copied back,
// nothing is logged or reported to a host.
#pragma once

#include <string>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/records.hpp"

namespace tamrel {

struct FileRecords {
  enum class State {
    kLoaded,      // the file decodes whole: `records` are its records
    kMissing,     // no file of that name (a folder or a dangling link is no file either)
    kDamaged,     // the file is there but does not decode; `reason` says why
    kUnreadable,  // the file could not be read (permissions, I/O); `reason` says why
  };
  State state = State::kMissing;
  std::vector<Record> records;  // in file order; empty unless kLoaded
  std::string reason;           // the error's description, for kDamaged and kUnreadable

  bool operator==(const FileRecords&) const = default;
};

// Reads `file` (through a symbolic link) and decodes it as Load decodes a
// context file, records validated as Load validates them. Never raises
// except when memory runs out; the platform hooks in force are used for the
// file system.
TAMREL_EXPORT FileRecords ReadFileRecords(const std::string& file);

}  // namespace tamrel
