// The thread's current error, the run-time's Err object. Each thread has its
// own, as each automation thread has its own Err.
#include "tamrel/error.hpp"

namespace tamrel {
namespace {
thread_local ErrorInfo current_error;
}  // namespace

const ErrorInfo& CurrentError() { return current_error; }

void SetCurrentError(const Error& error) {
  current_error = ErrorInfo{error.number(), error.source(), error.description()};
}

void ClearCurrentError() { current_error = ErrorInfo{}; }

}  // namespace tamrel
