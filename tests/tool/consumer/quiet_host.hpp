// A host that shows nothing and remembers whether an error was reported.
#pragma once

#include <string>

#include "tamrel/tamrel.hpp"

class QuietHost : public tamrel::HostApplication {
 public:
  void WriteLog(const std::string&) override {}
  void RegisterError(const std::string&, const std::string&) override { failed = true; }
  void GetErrorText(std::string& text) override { text = tamrel::CurrentError().description; }
  tamrel::Variant HandleError(bool, bool, bool) override { return {}; }
  void WriteDetail(const std::string&) override {}
  tamrel::Variant ShowMessage(const std::string&, int16_t, const std::string&, const std::string&,
                              int32_t) override {
    return {};
  }
  bool failed = false;
};
