// Form: a host form as form binding sees it, an ordered set of controls.
#pragma once

#include <string>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/object.hpp"

namespace tamrel {

// A control is an Object whose TypeName() is "TextBox", "ComboBox",
// "CheckBox", "OptionButton" or "ListBox" (any other name is ignored by form
// binding) and whose properties are reached by name: Tag, Text, Value,
// ListIndex, ListCount, Style, MultiLine, BackColor; List, ItemData and
// Selected with one zero-based index; AddItem through Call.
class TAMREL_EXPORT Form : public Object {
 public:
  std::string TypeName() const override { return "Form"; }
  // The form's controls, in the form's order.
  virtual std::vector<ObjectRef> Controls() const = 0;
};

}  // namespace tamrel
