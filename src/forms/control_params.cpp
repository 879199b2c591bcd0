#include "forms/control_params.hpp"

#include <algorithm>

#include "automation/ascii_case.hpp"
#include "automation/error_trap.hpp"

namespace tamrel::detail {
namespace {

// Replaces "; " by ";" until none is left, so any run of blanks after a
// semicolon disappears.
void SqueezeBlanksAfterSemicolons(std::string& text) {
  std::string squeezed;
  squeezed.reserve(text.size());
  for (char c : text) {
    if (c == ' ' && !squeezed.empty() && squeezed.back() == ';') continue;
    squeezed.push_back(c);
  }
  text = std::move(squeezed);
}

// Where the name of parameter `name` starts in `text`, or npos.
std::size_t FindParameter(const std::string& text, const std::string& name) {
  const std::string lower_text = AsciiLower(text);
  const std::string lower_name = AsciiLower(name) + "=";
  const std::size_t after_semicolon = lower_text.find(";" + lower_name);
  if (after_semicolon != std::string::npos) return after_semicolon + 1;
  if (lower_text.starts_with(lower_name)) return 0;
  return std::string::npos;
}

// The end of the value that starts at `start`: the first ';' outside quotes,
// or the end of the text.
std::size_t EndOfValue(const std::string& text, std::size_t start) {
  char quote = '\0';
  for (std::size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != '\0') {
      if (c == quote) quote = '\0';
    } else if (c == ';') {
      return i;
    } else if (c == '\'' || c == '"') {
      quote = c;
    }
  }
  return text.size();
}

std::string ControlParameter(ContextState& state, Object& control, const std::string& name) {
  return GetParam(state, CStr(control.Get("Tag")), name);
}

}  // namespace

std::string GetParam(ContextState& state, std::string paramText, const std::string& name) {
  std::string result;
  Trapped(state, "GetParam", [&] {
    SqueezeBlanksAfterSemicolons(paramText);
    const std::size_t position = FindParameter(paramText, name);
    if (position == std::string::npos) return;
    const std::size_t start = std::min(position + name.size() + 1, paramText.size());
    result = paramText.substr(start, EndOfValue(paramText, start) - start);
  });
  return result;
}

std::string GetControlId(ContextState& state, Object& control) {
  return ControlParameter(state, control, "id");
}

std::string GetControlProp(ContextState& state, Object& control) {
  return ControlParameter(state, control, "prop");
}

}  // namespace tamrel::detail
