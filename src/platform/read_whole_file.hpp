// Reading a whole file into a string, shared by the file backends.
#pragma once

#include <cstddef>
#include <string>

namespace tamrel::platform {

// First room for a file whose length is not known.
inline constexpr std::size_t kReadChunk = 16384;

// Makes `text` `size` characters long for the caller to overwrite. Where the
// standard library has resize_and_overwrite (C++23), the new characters are
// not zero-filled first: for a file of megabytes that fill is a pass over
// fresh memory that a Load pays for and never uses.
inline void GrowForOverwrite(std::string& text, std::size_t size) {
#if defined(__cpp_lib_string_resize_and_overwrite)
  text.resize_and_overwrite(size, [](char*, std::size_t n) { return n; });
#else
  text.resize(size);
#endif
}

// The whole content of an open file, read straight into the string.
// `length` is the file's length as last seen (0 when not known): the first
// room is one byte more, so that the end shows without growing; a file that
// grows while being read still comes whole. `read_some(data, room)` reads at
// most `room` bytes to `data` and returns how many it read, raising on a
// failure. The file has ended when a read finds nothing, or when the reads
// have brought its known length and the last left room unused (a file that
// had grown since would have filled it). A read that stops short elsewhere
// does not end it: some file systems (FUSE with direct I/O, for one) may
// answer with fewer bytes than there are.
template <typename ReadSome>
std::string ReadWholeFile(std::size_t length, ReadSome read_some) {
  std::string content;
  std::size_t used = 0;
  for (;;) {
    if (used == content.size()) {
      GrowForOverwrite(content, used == 0 ? (length > 0 ? length + 1 : kReadChunk) : 2 * used);
    }
    const std::size_t count = read_some(content.data() + used, content.size() - used);
    if (count == 0) break;
    used += count;
    if (used == length && used < content.size()) break;
  }
  content.resize(used);
  return content;
}

}  // namespace tamrel::platform
