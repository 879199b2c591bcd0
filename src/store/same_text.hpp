// SameText: whether two texts are equal, for the short ones the store and
// the reader compare on every record a Load files (Tags, Ids, element
// names). Up to sixteen bytes are compared as two overlapping words rather
// than by a call to memcmp, whose set-up costs more than such a comparison.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tamrel::detail {

namespace same_text {
template <class Word>
Word WordAt(const char* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}
// Whether the first and the last sizeof(Word) bytes of the `size` bytes at
// `a` and `b` agree. REQUIRES: sizeof(Word) <= size <= 2 * sizeof(Word).
template <class Word>
bool SameEnds(const char* a, const char* b, std::size_t size) {
  return WordAt<Word>(a) == WordAt<Word>(b) &&
         WordAt<Word>(a + size - sizeof(Word)) == WordAt<Word>(b + size - sizeof(Word));
}
}  // namespace same_text

inline bool SameText(std::string_view a, std::string_view b) {
  const std::size_t size = a.size();
  if (size != b.size()) return false;
  if (size > 16) return a == b;
  if (size >= 8) return same_text::SameEnds<uint64_t>(a.data(), b.data(), size);
  if (size >= 4) return same_text::SameEnds<uint32_t>(a.data(), b.data(), size);
  if (size == 0) return true;
  // One to three bytes: the first, the middle and the last cover them all.
  return a[0] == b[0] && a[size / 2] == b[size / 2] && a[size - 1] == b[size - 1];
}

}  // namespace tamrel::detail
