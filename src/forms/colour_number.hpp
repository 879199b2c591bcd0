// Colour numbers as the host's controls know them: an RGB value 0x00BBGGRR
// up to 0x00FFFFFF, or a system colour 0x80000000 to 0x80000018 that stands
// for a colour of the system's (or the toolkit's palette's) choosing. Shared
// by the standard controls and the Qt widgets, which take the same numbers.
#pragma once

#include <cstdint>

namespace tamrel::detail {

inline constexpr uint32_t kLargestRgb = 0x00FFFFFFu;
inline constexpr uint32_t kFirstSystemColour = 0x80000000u;
inline constexpr uint32_t kLastSystemColour = 0x80000018u;

// True for a number at or above the first system colour (a BackColor that
// passed IsColourNumber is then one of the system colours).
constexpr bool IsSystemColour(int32_t colour) {
  return static_cast<uint32_t>(colour) >= kFirstSystemColour;
}

// True for an RGB value or a system colour number.
constexpr bool IsColourNumber(int32_t colour) {
  const auto bits = static_cast<uint32_t>(colour);
  return bits <= kLargestRgb || (bits >= kFirstSystemColour && bits <= kLastSystemColour);
}

}  // namespace tamrel::detail
