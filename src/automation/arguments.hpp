// Argument checks of the by-name (late-bound) members.
#pragma once

#include <cstddef>
#include <vector>

#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::detail {

// Error 450 unless exactly `count` arguments were given.
inline void RequireArgumentCount(const std::vector<Variant>& args, std::size_t count) {
  if (args.size() != count) Raise(errc::kWrongArgumentCount);
}

}  // namespace tamrel::detail
