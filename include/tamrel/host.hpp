// HostApplication: the host program's object through which a context logs,
// shows messages and reports failures.
#pragma once

#include <cstdint>
#include <string>

#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

// Implemented by the host. A context calls these one at a time on the host's
// thread. While RegisterError, HandleError and GetErrorText run, the failure
// being reported is tamrel::CurrentError(). Any of them may throw; a throw
// from WriteLog, WriteDetail or ShowMessage enters the calling operation's
// error convention, one from RegisterError, HandleError or GetErrorText
// reaches the caller of the operation.
//
// By name the six operations answer Call with their arguments in order
// (GetErrorText writes its text back into its argument).
class HostApplication : public Object {
 public:
  std::string TypeName() const override { return "HostApplication"; }

  // One complete log line.
  virtual void WriteLog(const std::string& line) = 0;
  // Registers the current error under `location` ("Tamrel/ContextCls/...")
  // and the operation's stage text.
  virtual void RegisterError(const std::string& location, const std::string& stage) = 0;
  // Fills `text` with the host's text of the current error.
  virtual void GetErrorText(std::string& text) = 0;
  // Handles the registered error; the result is never read by the library.
  virtual Variant HandleError(bool flag1, bool flag2, bool flag3) = 0;
  // A further line, such as the detail of a failure or a progress line.
  virtual void WriteDetail(const std::string& line) = 0;
  // Shows a message; style 0 is a message with an OK button only.
  virtual Variant ShowMessage(const std::string& prompt, int16_t style, const std::string& title,
                              const std::string& helpFile, int32_t helpContext) = 0;

  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;
};

}  // namespace tamrel
