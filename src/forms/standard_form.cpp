// StandardForm: controls in the order they were added.
#include "forms/option_group.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel {

StandardForm::StandardForm() : options_(std::make_shared<detail::OptionGroup>()) {}

StandardForm::~StandardForm() = default;

void StandardForm::AddControl(const ObjectRef& control) {
  if (!control) Raise(errc::kObjectRequired);
  if (auto button = std::dynamic_pointer_cast<OptionButton>(control)) {
    detail::OptionGroup::Join(options_, button);
  }
  controls_.push_back(control);
}

}  // namespace tamrel
