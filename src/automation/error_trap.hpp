// The error convention shared by every trapped member.
//
//   bool ContextCls::Exists(...) {
//     bool result = false;
//     detail::Trapped(*state_, "Exists", [&] { ...; result = ...; });
//     return result;
//   }
//
// On a failure inside the body the rest of the body is skipped, the failure
// becomes the thread's current error, the host gets
// RegisterError("Tamrel/ContextCls/" + location, stage) and then
// HandleError(true, true, false), and the member returns normally with its
// result at what the body had assigned. Without a host application object
// (error 91) or when the host's own calls fail, that failure reaches the
// caller instead.
#pragma once

#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tamrel/error.hpp"
#include "tamrel/host.hpp"

namespace tamrel::detail {

// Where a trapped body's failures are reported: the host application object
// of the context the body works for, empty until the host sets one.
struct HostSlot {
  std::shared_ptr<HostApplication> host_app;
};

// The host application object; error 91 when none was set.
HostApplication& Host(const HostSlot& slot);

inline constexpr std::string_view kLocationPrefix = "Tamrel/ContextCls/";
inline constexpr std::string_view kInitialStage = "Initialize";

// "Tamrel/ContextCls/" + location.
std::string ErrorLocation(std::string_view location);

// Turns anything a body can throw into the run-time error it stands for.
// Must be called from inside a catch block.
Error CurrentExceptionAsError();

// Makes `error` the current error while `report` runs, and clears it after,
// also when `report` throws.
class CurrentErrorScope {
 public:
  explicit CurrentErrorScope(const Error& error) { SetCurrentError(error); }
  ~CurrentErrorScope() { ClearCurrentError(); }
  CurrentErrorScope(const CurrentErrorScope&) = delete;
  CurrentErrorScope& operator=(const CurrentErrorScope&) = delete;
};

// Steps 3 and 4 of the convention: RegisterError then HandleError(true,
// true, false), with `error` current. Throws error 91 without a host.
void ReportFailure(const HostSlot& slot, std::string_view location, std::string_view stage,
                   const Error& error);

// ReportFailure for the failure `caught` holds: what Trapped calls once the
// handler that caught it has ended.
void ReportCaught(const HostSlot& slot, std::string_view location, std::string_view stage,
                  const std::exception_ptr& caught);

// Runs `body` under the uniform trap with the given location and stage text.
// The failure is kept as an exception_ptr, one pointer: a trap that costs
// nothing to set is what lets Load run its per-record steps under traps.
template <class Body>
void Trapped(const HostSlot& slot, std::string_view location, std::string_view stage, Body&& body) {
  std::exception_ptr caught;
  try {
    body();
    return;
  } catch (...) {
    caught = std::current_exception();
  }
  ReportCaught(slot, location, stage, caught);
}

template <class Body>
void Trapped(const HostSlot& slot, std::string_view location, Body&& body) {
  Trapped(slot, location, kInitialStage, static_cast<Body&&>(body));
}

}  // namespace tamrel::detail
