// The state behind a ContextCls object, for the library's own code above
// the layers (bindings, tests, benchmarks, fuzz targets) that must reach it
// from an object rather than being handed it.
#pragma once

#include "persist/context_state.hpp"
#include "tamrel/context.hpp"

namespace tamrel::detail {

struct ContextAccess {
  static ContextState& State(ContextCls& context) { return *context.state_; }
  static const ContextState& State(const ContextCls& context) { return *context.state_; }
};

inline ContextState& StateOf(ContextCls& context) { return ContextAccess::State(context); }
inline const ContextState& StateOf(const ContextCls& context) {
  return ContextAccess::State(context);
}

}  // namespace tamrel::detail
