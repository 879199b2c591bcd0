// Byte searches for the short runs a Load looks through in every line and
// element: the line feed that ends a line; the end tag of the root element;
// in an element as Save writes it, its name, each attribute value up to its
// quote and the "<" that ends its text; and the "$" and "&" that send a
// record the slower way.
//
// Sixteen bytes are looked at together where the processor has SSE2 (every
// x86-64 one), one at a time elsewhere. Besides doing less work than a loop
// over the bytes, they make fewer of the mispredicted branches that such a
// loop makes at its end, which in a Load of a few thousand records, with the
// processor's caches and predictors cold, count for more than the work. So
// the last bytes of a text are looked at in a block of their own that
// overlaps the one before, not one at a time, and a text shorter than a
// block in two overlapping words. memchr looks for one byte only, and its
// set-up costs more than such a run.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrel::detail {

namespace byte_search {

#if defined(__SSE2__)
inline constexpr std::size_t kBlock = 16;

inline __m128i BlockAt(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One bit per byte of `block` that is one of `Bytes`.
template <char... Bytes>
inline unsigned HitsIn(__m128i block) {
  __m128i hits = _mm_setzero_si128();
  ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(Bytes)))), ...);
  return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

// One bit per byte of the block at `at` that is one of `Bytes`.
template <char... Bytes>
inline unsigned HitsAt(const char* at) {
  return HitsIn<Bytes...>(BlockAt(at));
}

// The first hit of the block starting at `base`, counting only places at
// `from` or after; `none` when there is none.
inline std::size_t FirstHit(unsigned hits, std::size_t base, std::size_t from, std::size_t none) {
  hits &= ~0u << (from - base);
  return hits != 0 ? base + static_cast<std::size_t>(std::countr_zero(hits)) : none;
}
#endif

// Whether the word at `at` (its first sizeof(Word) bytes) holds `byte`. A
// byte of `word ^ byte * 0x0101...` is zero exactly where the word holds
// `byte`, and subtracting 0x0101... sets the high bit of some byte that was
// zero, and of none when no byte was.
template <class Word>
inline bool WordHolds(Word word, char byte) {
  constexpr Word kOnes = static_cast<Word>(~Word{0}) / 0xff;
  constexpr Word kHighs = kOnes * 0x80;
  const Word zero_where_held = word ^ (Word{static_cast<unsigned char>(byte)} * kOnes);
  return ((zero_where_held - kOnes) & ~zero_where_held & kHighs) != 0;
}

template <class Word, char... Bytes>
inline bool WordHoldsOneOf(const char* at) {
  Word word = 0;
  std::memcpy(&word, at, sizeof word);
  return (WordHolds(word, Bytes) || ...);
}

}  // namespace byte_search

// The first place at `from` or after holding one of `Bytes`; text.size()
// when there is none. REQUIRES: from <= text.size().
template <char... Bytes>
inline std::size_t FindByte(std::string_view text, std::size_t from = 0) {
  const char* const data = text.data();
  const std::size_t size = text.size();
#if defined(__SSE2__)
  using byte_search::kBlock;
  if (size >= kBlock) {
    for (; size - from >= kBlock; from += kBlock) {
      const unsigned hits = byte_search::HitsAt<Bytes...>(data + from);
      if (hits != 0) return from + static_cast<std::size_t>(std::countr_zero(hits));
    }
    if (from == size) return size;
    const std::size_t base = size - kBlock;
    return byte_search::FirstHit(byte_search::HitsAt<Bytes...>(data + base), base, from, size);
  }
#endif
  for (; from < size; ++from) {
    if (((data[from] == Bytes) || ...)) return from;
  }
  return size;
}

// FindByte<Stop>(text, from) that also sets `seen` when a `Seen` byte comes
// before the place found (and leaves it as it is otherwise): one pass where
// a second search would go over the same bytes again.
template <char Stop, char Seen>
inline std::size_t FindByteNoting(std::string_view text, std::size_t from, bool& seen) {
  const char* const data = text.data();
  const std::size_t size = text.size();
#if defined(__SSE2__)
  using byte_search::BlockAt;
  using byte_search::HitsIn;
  using byte_search::kBlock;
  if (size >= kBlock) {
    unsigned seen_bits = 0;  // of the blocks before the stop
    unsigned stops = 0;
    unsigned seens = 0;
    std::size_t base = from;
    for (; size - base >= kBlock; base += kBlock) {
      const __m128i block = BlockAt(data + base);
      stops = HitsIn<Stop>(block);
      seens = HitsIn<Seen>(block);
      if (stops != 0) break;
      seen_bits |= seens;
    }
    if (stops == 0 && base < size) {  // the last bytes, in a block that ends with the text
      const unsigned from_here = ~0u << (base - (size - kBlock));
      base = size - kBlock;
      const __m128i block = BlockAt(data + base);
      stops = HitsIn<Stop>(block) & from_here;
      seens = HitsIn<Seen>(block) & from_here;
    }
    // A byte cannot be both: the seen bytes up to the first stop are those
    // before it.
    seen_bits |= seens & (stops ^ (stops - 1));
    seen = seen || seen_bits != 0;
    return stops != 0 ? base + static_cast<std::size_t>(std::countr_zero(stops)) : size;
  }
#endif
  for (; from < size; ++from) {
    if (data[from] == Stop) return from;
    if (data[from] == Seen) seen = true;
  }
  return size;
}

// Whether `text` holds one of `Bytes`: FindByte(text) != text.size(), for
// short texts (names, values) without a loop over their bytes.
template <char... Bytes>
inline bool HoldsByte(std::string_view text) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  if (size >= 16) return FindByte<Bytes...>(text) != size;
  if (size >= 8) {
    return byte_search::WordHoldsOneOf<uint64_t, Bytes...>(data) ||
           byte_search::WordHoldsOneOf<uint64_t, Bytes...>(data + size - 8);
  }
  if (size >= 4) {
    return byte_search::WordHoldsOneOf<uint32_t, Bytes...>(data) ||
           byte_search::WordHoldsOneOf<uint32_t, Bytes...>(data + size - 4);
  }
  const auto is_one = [](char c) { return ((c == Bytes) || ...); };
  return size > 0 && (is_one(data[0]) || is_one(data[size / 2]) || is_one(data[size - 1]));
}

// The first place at `from` or after where the three bytes `first`,
// `second`, `third` follow each other; text.size() when there is none.
// REQUIRES: from <= text.size().
inline std::size_t FindThreeBytes(std::string_view text, std::size_t from, char first, char second,
                                  char third) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  constexpr std::size_t kSpan = 2;  // bytes a match reaches beyond its place
#if defined(__SSE2__)
  using byte_search::BlockAt;
  using byte_search::kBlock;
  const __m128i firsts = _mm_set1_epi8(first);
  const __m128i seconds = _mm_set1_epi8(second);
  const __m128i thirds = _mm_set1_epi8(third);
  const auto hits_at = [&](const char* at) {
    const __m128i hits = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(BlockAt(at), firsts),
                                                     _mm_cmpeq_epi8(BlockAt(at + 1), seconds)),
                                       _mm_cmpeq_epi8(BlockAt(at + 2), thirds));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
  };
  if (size >= kBlock + kSpan) {
    for (; size - from >= kBlock + kSpan; from += kBlock) {
      const unsigned hits = hits_at(data + from);
      if (hits != 0) return from + static_cast<std::size_t>(std::countr_zero(hits));
    }
    if (size - from <= kSpan) return size;
    const std::size_t base = size - kBlock - kSpan;
    return byte_search::FirstHit(hits_at(data + base), base, from, size);
  }
#endif
  for (; size - from > kSpan; ++from) {
    if (data[from] == first && data[from + 1] == second && data[from + 2] == third) return from;
  }
  return size;
}

}  // namespace tamrel::detail
