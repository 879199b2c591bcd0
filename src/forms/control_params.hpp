// The control parameter text: the "name=value; name=value" list that a bound
// control carries in its Tag property ("id=FontSize; prop=Caption").
#pragma once

#include <string>

#include "persist/context_state.hpp"
#include "tamrel/object.hpp"

namespace tamrel::detail {

// The value of parameter `name` in `paramText`, or "" when it is absent.
// Names are found without regard to letter case, blanks after a semicolon
// are dropped, an occurrence after a semicolon wins over one at the very
// start, and a value runs to the next semicolon that is not inside quotes
// (' or "); the quotes stay in the value. Trapped as "GetParam": after a
// reported failure the result is "".
std::string GetParam(ContextState& state, std::string paramText, const std::string& name);

// The "id" and "prop" parameters of a control's Tag. Failures (a control
// without a Tag, a Tag that has no text form) reach the caller.
std::string GetControlId(ContextState& state, Object& control);
std::string GetControlProp(ContextState& state, Object& control);

}  // namespace tamrel::detail
