// FindByte: the first place in a text holding one of a few given bytes, for
// the short runs a Load searches in every line and element: the line feed
// that ends a line; the "/" of each end tag, on the way to the root
// element's; and in an element as Save writes it, its name, each attribute
// value up to its quote and the "<" that ends its text. Sixteen bytes are looked at together where
// the processor has SSE2 (every x86-64 one), one at a time elsewhere. Besides doing less work than
// a loop over the bytes, it makes fewer of the mispredicted branches that such a loop makes at its
// end, which in a Load of a few thousand records, with the processor's caches and predictors cold,
// count for more than the work; memchr looks for one byte only, and its set-up costs more than such
// a run.
#pragma once

#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrel::detail {

// The first place at `from` or after holding one of `Bytes`; text.size()
// when there is none. REQUIRES: from <= text.size().
template <char... Bytes>
inline std::size_t FindByte(std::string_view text, std::size_t from = 0) {
  const char* const data = text.data();
  const std::size_t size = text.size();
#if defined(__SSE2__)
  for (; size - from >= 16; from += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(Bytes)))), ...);
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return from + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  for (; from < size; ++from) {
    if (((data[from] == Bytes) || ...)) return from;
  }
  return size;
}

}  // namespace tamrel::detail
