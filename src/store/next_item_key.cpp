// NextItemKey: the keys A1, A2, ... of new records, never reused while the
// object lives.
#include <string>

#include "context/context_state.hpp"

namespace tamrel::detail {

std::string NextItemKey(ContextState& state) {
  ++state.key_counter;
  return "A" + std::to_string(state.key_counter);
}

}  // namespace tamrel::detail
