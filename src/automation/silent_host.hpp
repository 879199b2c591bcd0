// SilentHost: a HostApplication that accepts every call and keeps nothing.
// For work whose reports nobody is to see (a trial read of a record), and
// for benchmarks, fuzzing and long-running tests.
#pragma once

#include <cstdint>
#include <string>

#include "tamrel/host.hpp"

namespace tamrel::detail {

class SilentHost : public HostApplication {
 public:
  void WriteLog(const std::string&) override {}
  void RegisterError(const std::string&, const std::string&) override {}
  void GetErrorText(std::string&) override {}
  Variant HandleError(bool, bool, bool) override { return {}; }
  void WriteDetail(const std::string&) override {}
  Variant ShowMessage(const std::string&, int16_t, const std::string&, const std::string&,
                      int32_t) override {
    return {};
  }
};

}  // namespace tamrel::detail
