#include "automation/error_trap.hpp"

#include <exception>
#include <new>
#include <stdexcept>

namespace tamrel::detail {

std::string ErrorLocation(std::string_view location) {
  return std::string(kLocationPrefix) + std::string(location);
}

Error CurrentExceptionAsError() {
  try {
    throw;
  } catch (const Error& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return Error(errc::kOutOfMemory);
  } catch (const std::length_error&) {
    return Error(errc::kOutOfMemory);
  } catch (const std::out_of_range& failure) {
    return Error(errc::kSubscriptOutOfRange, failure.what());
  } catch (const std::exception& failure) {
    return Error(errc::kInvalidArgument, failure.what());
  } catch (...) {
    return Error(errc::kInvalidArgument);
  }
}

void ReportFailure(const HostSlot& slot, std::string_view location, std::string_view stage,
                   const Error& error) {
  CurrentErrorScope current(error);
  HostApplication& host = Host(slot);
  host.RegisterError(ErrorLocation(location), std::string(stage));
  host.HandleError(true, true, false);
}

void ReportCaught(const HostSlot& slot, std::string_view location, std::string_view stage,
                  const std::exception_ptr& caught) {
  Error failure = [&] {
    try {
      std::rethrow_exception(caught);
    } catch (...) {
      return CurrentExceptionAsError();
    }
  }();
  ReportFailure(slot, location, stage, failure);
}

HostApplication& Host(const HostSlot& slot) {
  if (!slot.host_app) Raise(errc::kObjectNotSet);
  return *slot.host_app;
}

}  // namespace tamrel::detail
