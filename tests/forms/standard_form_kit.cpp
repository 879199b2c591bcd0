// The form-binding suite over the standard controls.
#include <gtest/gtest.h>

#include "forms/form_kit.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::testing {
namespace {

class StandardFormKit : public FormKit {
 public:
  Form& form() override { return form_; }
  ObjectRef TextBox(const std::string& tag, bool multi_line) override {
    return form_.Add<tamrel::TextBox>(tag, multi_line);
  }
  ObjectRef ComboBox(const std::string& tag, int16_t style) override {
    return form_.Add<tamrel::ComboBox>(tag, style);
  }
  ObjectRef ListBox(const std::string& tag, int16_t multi_select) override {
    return form_.Add<tamrel::ListBox>(tag, multi_select);
  }
  ObjectRef CheckBox(const std::string& tag) override { return form_.Add<tamrel::CheckBox>(tag); }
  ObjectRef OptionButton(const std::string& tag) override {
    return form_.Add<tamrel::OptionButton>(tag);
  }
  ObjectRef Label(const std::string& tag) override { return form_.Add<tamrel::Label>(tag); }

 private:
  StandardForm form_;
};

}  // namespace

FormKind StandardFormKind() {
  return {"StandardForm", [] { return std::make_unique<StandardFormKit>(); }};
}

}  // namespace tamrel::testing
