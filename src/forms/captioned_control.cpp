// Check boxes, option buttons and labels: the controls with a Caption.
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel {

std::optional<Variant> CaptionedControl::GetOwn(const std::string& name,
                                                const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Caption", indices)) return std::nullopt;
  return Variant(caption_);
}

bool CaptionedControl::LetOwn(const std::string& name, const Variant& value,
                              const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Caption", indices)) return false;
  caption_ = CStr(value);
  return true;
}

void CheckBox::Value(int16_t state) {
  if (state != kUnchecked && state != kChecked && state != kGrayed) RaiseInvalidValue();
  value_ = state;
}

std::optional<Variant> CheckBox::GetOwn(const std::string& name,
                                        const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) return CaptionedControl::GetOwn(name, indices);
  return Variant(value_);
}

bool CheckBox::LetOwn(const std::string& name, const Variant& value,
                      const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) {
    return CaptionedControl::LetOwn(name, value, indices);
  }
  Value(CInt(value));
  return true;
}

}  // namespace tamrel
