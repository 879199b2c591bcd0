#include "context/unmanaged_error.hpp"

#include "automation/application_title.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::detail {

std::string UnmanagedErrorTitle() { return CurrentApplicationTitle() + ": UNMANAGED ERROR"; }

std::string UnmanagedErrorText(std::string_view procedure, const Error& error) {
  const std::string crlf = "\r\n";
  std::string text = "Un-Managed Error. Please copy the text and advise Velmora of the error.";
  text += crlf + crlf + "The error occurred in ContextCls/" + std::string(procedure) + ".";
  text += crlf + crlf + "The error was: ";
  text += crlf + crlf + "Error No: " + std::to_string(error.number()) +
          " Description: " + error.description();
  return text;
}

void ShowUnmanagedError(std::string_view procedure, const Error& error) noexcept {
  try {
    platform::Current().message_box(UnmanagedErrorText(procedure, error), kUnmanagedErrorStyle,
                                    UnmanagedErrorTitle());
  } catch (...) {
    // Nothing is left to tell: creation and destruction pass no failure on.
  }
}

}  // namespace tamrel::detail
