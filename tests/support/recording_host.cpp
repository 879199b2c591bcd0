#include "support/recording_host.hpp"

namespace tamrel::testing {
void RecordingHost::Record(const std::string& op, std::vector<std::string> args) {
  calls_.push_back(HostCall{op, std::move(args), CurrentError()});
  auto failure = failures_.find(op);
  if (failure == failures_.end() || failure->second.remaining == 0) return;
  if (failure->second.remaining > 0) --failure->second.remaining;
  Raise(failure->second.number, "RecordingHost: " + op + " failed on purpose");
}

void RecordingHost::GetErrorText(std::string& text) {
  Record("GetErrorText", {});
  text = "Error " + std::to_string(CurrentError().number) + ": " + CurrentError().description;
}

Variant RecordingHost::HandleError(bool flag1, bool flag2, bool flag3) {
  auto flag = [](bool value) { return std::string(value ? "True" : "False"); };
  Record("HandleError", {flag(flag1), flag(flag2), flag(flag3)});
  return Variant();
}

Variant RecordingHost::ShowMessage(const std::string& prompt, int16_t style,
                                   const std::string& title, const std::string& helpFile,
                                   int32_t helpContext) {
  Record("ShowMessage",
         {prompt, std::to_string(style), title, helpFile, std::to_string(helpContext)});
  return Variant(int16_t{1});
}

std::vector<HostCall> RecordingHost::CallsOf(const std::string& op) const {
  std::vector<HostCall> result;
  for (const HostCall& call : calls_)
    if (call.op == op) result.push_back(call);
  return result;
}

std::vector<std::string> RecordingHost::FirstArgs(const std::string& op) const {
  std::vector<std::string> lines;
  for (const HostCall& call : CallsOf(op)) lines.push_back(call.args[0]);
  return lines;
}

std::vector<std::string> RecordingHost::Ops() const {
  std::vector<std::string> ops;
  for (const HostCall& call : calls_) ops.push_back(call.op);
  return ops;
}

std::vector<std::pair<std::string, int32_t>> RecordingHost::Errors() const {
  std::vector<std::pair<std::string, int32_t>> errors;
  for (const HostCall& call : CallsOf("RegisterError"))
    errors.emplace_back(call.args[0], call.error.number);
  return errors;
}

}  // namespace tamrel::testing
