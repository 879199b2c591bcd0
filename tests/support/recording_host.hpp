// RecordingHost: a HostApplication for tests that keeps every call in order,
// with its arguments and the current error as the call saw it, and can be
// told to fail a chosen operation.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/error.hpp"
#include "tamrel/host.hpp"
#include "tamrel/object.hpp"

namespace tamrel::testing {

struct HostCall {
  std::string op;                 // "WriteLog", "RegisterError", ...
  std::vector<std::string> args;  // texts; flags as "True"/"False"; numbers in decimal
  ErrorInfo error;                // CurrentError() when the call was made
};

class RecordingHost : public HostApplication {
 public:
  static std::shared_ptr<RecordingHost> Make() { return std::make_shared<RecordingHost>(); }

  void WriteLog(const std::string& line) override { Record("WriteLog", {line}); }
  void RegisterError(const std::string& location, const std::string& stage) override {
    Record("RegisterError", {location, stage});
  }
  void GetErrorText(std::string& text) override;
  Variant HandleError(bool flag1, bool flag2, bool flag3) override;
  void WriteDetail(const std::string& line) override { Record("WriteDetail", {line}); }
  Variant ShowMessage(const std::string& prompt, int16_t style, const std::string& title,
                      const std::string& helpFile, int32_t helpContext) override;

  // Makes operation `op` throw Error(number) from its next call on (for
  // `times` calls; -1 for ever).
  void FailOn(const std::string& op, int32_t number = 5, int times = -1) {
    failures_[op] = Failure{number, times};
  }

  const std::vector<HostCall>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::vector<HostCall> CallsOf(const std::string& op) const;
  std::vector<std::string> LogLines() const { return FirstArgs("WriteLog"); }
  std::vector<std::string> DetailLines() const { return FirstArgs("WriteDetail"); }
  std::vector<std::string> Ops() const;  // e.g. {"RegisterError", "HandleError"}
  // The error reports: each RegisterError's location and the current error
  // number as RegisterError saw it.
  std::vector<std::pair<std::string, int32_t>> Errors() const;

 private:
  void Record(const std::string& op, std::vector<std::string> args);
  std::vector<std::string> FirstArgs(const std::string& op) const;

  std::vector<HostCall> calls_;
  struct Failure {
    int32_t number;
    int remaining;
  };
  std::map<std::string, Failure> failures_;
};

// The host's application object, whose `title` Appl reads.
class TitledApplication : public Object {
 public:
  explicit TitledApplication(Variant title) : title_(std::move(title)) {}
  std::string TypeName() const override { return "Application"; }
  Variant Get(const std::string& name, const std::vector<Variant>& indices) override {
    return SameName(name, "title") && indices.empty() ? title_ : Object::Get(name, indices);
  }

 private:
  Variant title_;
};

}  // namespace tamrel::testing
