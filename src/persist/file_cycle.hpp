// The file cycle: numbered generations of a file, base(n)ext beside it
// ("Setup(3).tmc" for "Setup.tmc"), the number one above the highest found,
// the oldest pruned first.
#pragma once

#include <cstdint>
#include <string>

namespace tamrel::detail {

// Renames `path` to its next generation after deleting the oldest ones, so
// that `retained` generations remain once it is renamed. Numbers are found
// without regard to letter case. A file that is missing (53) or a name that
// is taken (58) ends the rename silently; any other failure is raised, a
// `retained` below 1 with error 9 once it runs past the numbers found.
void RenameAsNextFileCycle(const std::string& path, int16_t retained);

}  // namespace tamrel::detail
