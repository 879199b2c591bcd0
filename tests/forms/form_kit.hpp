// FormKit: a form to bind, and the controls on it, made by one kind of form
// (the standard controls, or Qt widgets). The form-binding suite runs once
// per kind and reaches every control by name only, so any difference between
// the kinds shows as a failing case; the control conformance table makes its
// controls through every kit and compares each with the standard kit's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tamrel/form.hpp"
#include "tamrel/object.hpp"

namespace tamrel::testing {

class FormKit {
 public:
  virtual ~FormKit() = default;

  // The form holding every control made so far, in the order made.
  virtual Form& form() = 0;

  // Each returns the new control, its Tag set to `tag`.
  virtual ObjectRef TextBox(const std::string& tag, bool multi_line = false) = 0;
  // `style` 0 (free text) or 2 (drop-down list).
  virtual ObjectRef ComboBox(const std::string& tag, int16_t style = 0) = 0;
  virtual ObjectRef ListBox(const std::string& tag, int16_t multi_select = 0) = 0;
  virtual ObjectRef CheckBox(const std::string& tag) = 0;
  // Option buttons made by one kit are one group.
  virtual ObjectRef OptionButton(const std::string& tag) = 0;
  virtual ObjectRef Label(const std::string& tag) = 0;
};

struct FormKind {
  std::string name;
  std::function<std::unique_ptr<FormKit>()> make;
};

inline std::ostream& operator<<(std::ostream& out, const FormKind& kind) {
  return out << kind.name;
}

// The kit of the standard in-memory controls.
FormKind StandardFormKind();

// The kinds the suite runs over; each test program that runs the suite
// defines it.
std::vector<FormKind> FormKinds();

}  // namespace tamrel::testing
