// ErrorNumberOf: the tamrel::Error number a call raises, 0 when it returns.
#pragma once

#include "tamrel/error.hpp"

namespace tamrel::testing {

template <class F>
int32_t ErrorNumberOf(F&& call) {
  try {
    call();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

}  // namespace tamrel::testing
