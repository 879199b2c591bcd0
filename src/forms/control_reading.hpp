// What a bound control holds, as form extraction reads it: explicit "prop"
// values first (BackColor, Caption, ItemData, List, compared exactly), else
// the control's type decides.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::detail {

struct ControlReading {
  // The values in the order in which the store receives them, each as a
  // value of its own; a multi-line text box and a list box give their lines
  // or selected items from the last to the first.
  std::vector<Variant> values;
  // True when the dictionary receives `values` folded into one list text,
  // which is the empty text when there are none.
  bool folded = false;
};

// Reads `control` by name. Failures (a property the control lacks, a value
// without the expected form) reach the caller.
ControlReading ReadControl(Object& control, const std::string& prop);

// The one value a dictionary receives from `reading`, or nothing.
std::optional<Variant> DictionaryValue(const ControlReading& reading);

}  // namespace tamrel::detail
