// NextItemKey: the keys A1, A2, ... of new records, never reused while the
// object lives.
#include <charconv>
#include <string>

#include "context/context_state.hpp"

namespace tamrel::detail {

std::string NextItemKey(ContextState& state) {
  ++state.key_counter;
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, state.key_counter);
  std::string key(1, 'A');
  key.append(digits, end);
  return key;
}

}  // namespace tamrel::detail
