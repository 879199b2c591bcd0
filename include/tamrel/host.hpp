// HostApplication: the host program's object through which a context logs,
// shows messages and reports failures.
#pragma once

#include <cstdint>
#include <string>

#include "tamrel/export.hpp"
#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

// Implemented by the host. A context calls these one at a time on the
// thread that called the context's member, never from another thread. Any
// of them may throw: a throw from WriteLog, WriteDetail or ShowMessage
// enters the calling member's error convention (tamrel/context.hpp), as if
// the member had failed there; one from RegisterError, HandleError or
// GetErrorText reaches the caller of the member.
//
// A failure is reported in one of two sequences, with the failure as
// tamrel::CurrentError() (number, source, description) throughout and
// cleared after:
//  - a member's trap ends the failure: RegisterError(location, stage), for
//    Save WriteDetail("Save File: <path>"), then HandleError(true, true,
//    false); the member then returns normally;
//  - the reader of a damaged context file reports each nesting level, then
//    passes the failure on so that Load can recover from the backup copy:
//    RegisterError("Tamrel/ContextCls/DecodeXML", "Initialize"),
//    WriteDetail("XML: <the text left>"), HandleError(false, false, false),
//    GetErrorText(text).
//
// By name the six operations answer Call with their arguments in order
// (GetErrorText writes its text back into its argument).
class TAMREL_EXPORT HostApplication : public Object {
 public:
  std::string TypeName() const override { return "HostApplication"; }

  // One complete log line: MoveFirst's instance warning, Verify's repairs,
  // Load's instance repairs, the context text logged by Load, Save and log,
  // the folder lines of GetApplicationConfigLocation. A context text's CR LF
  // pairs are shown as "~", so that one line stays one line.
  virtual void WriteLog(const std::string& line) = 0;
  // Registers the current error under `location` ("Tamrel/ContextCls/" and
  // the member's name, such as "Tamrel/ContextCls/Get_Count") and the stage
  // text ("Initialize", or for Load "Initialize: <file>"). Always followed
  // by HandleError for the same failure.
  virtual void RegisterError(const std::string& location, const std::string& stage) = 0;
  // Called only in the reader's sequence, after HandleError: fills `text`
  // with the host's text of the current error. The library does not use it.
  virtual void GetErrorText(std::string& text) = 0;
  // Handles the registered error. The flags say what becomes of it:
  //   flag1  the failure ends here (the member returns normally);
  //   flag2  the member's result is the one it held (false, 0, Empty, "");
  //   flag3  always false: the library never asks for a retry.
  // So (true, true, false) from a member's trap and (false, false, false)
  // from the reader, whose failure goes on to Load. A host may show, log or
  // ignore the error; the result is never read.
  virtual Variant HandleError(bool flag1, bool flag2, bool flag3) = 0;
  // A further line: the detail of a failure between RegisterError and
  // HandleError (Save, the reader), "Error occurred loading: <file>" when
  // Load finds a damaged file, and GetUserPreferences's folder and
  // chooser lines.
  virtual void WriteDetail(const std::string& line) = 0;
  // Shows a message and waits for the answer: Add's refusal of an illegal
  // tag or id, Load's notices about a damaged file and its backup copy.
  // (The unmanaged-error box and GetUserPreferences's warning about a folder
  // that cannot be written use the platform's message box instead.)
  // The library passes style 0 (a message with an OK button only), an empty
  // help file and help context 0, and does not read the result.
  virtual Variant ShowMessage(const std::string& prompt, int16_t style, const std::string& title,
                              const std::string& helpFile, int32_t helpContext) = 0;

  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;
};

}  // namespace tamrel
