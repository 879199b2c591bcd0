// NextItemKey: the keys A1, A2, ... of new records, never reused while the
// object lives.
#include <charconv>
#include <string>

#include "context/context_state.hpp"

namespace tamrel::detail {

std::string NextItemKey(ContextState& state) {
  ++state.key_counter;
  char key[24] = {'A'};
  const auto [end, ec] = std::to_chars(key + 1, key + sizeof key, state.key_counter);
  return std::string(key, end);
}

}  // namespace tamrel::detail
