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

namespace tamrel::detail {

// Save's generation of `path`, a file with a folder: the file stays where it
// is and takes, besides, the next generation's name (a hard link; a copy
// keeping its identity and date where the file system has no links), so that
// the path never lacks a file; then the oldest generations are deleted
// until `retained` remain. Only names of the exact form the cycle writes
// count: base and ext as spelled (in any letter case only where the file
// system ignores it), the number in decimal without leading zeros, 1 to the
// largest 32-bit number; any other name beside them is left alone and never
// stops the generation being made. Raises what failed: a generation that
// cannot be made, or one that cannot be deleted (after the others were).
void KeepGeneration(const std::string& path, int16_t retained);

}  // namespace tamrel::detail
