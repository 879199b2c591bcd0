// ComboBox: an item list with a text; a drop-down list (Style 2) only ever
// shows one of its items.
#include "tamrel/forms.hpp"

namespace tamrel {

ComboBox::ComboBox(int16_t style) : ListControl(kWindowBackground), style_(style) {
  if (style != kDropDownCombo && style != kSimpleCombo && style != kDropDownList) {
    RaiseInvalidValue();
  }
}

void ComboBox::Text(std::string text) {
  const int32_t match = FindItem(text);
  if (style_ == kDropDownList && match < 0) RaiseReadOnly("Text");
  list_index_ = match;
  text_ = std::move(text);
}

void ComboBox::Select(int32_t index) {
  list_index_ = index;
  text_ = index < 0 ? std::string() : List(index);
}

std::optional<Variant> ComboBox::GetOwn(const std::string& name,
                                        const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Text", indices)) return Variant(text_);
  if (IsPlainProperty(name, "Style", indices)) return Variant(style_);
  return ListControl::GetOwn(name, indices);
}

bool ComboBox::LetOwn(const std::string& name, const Variant& value,
                      const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Text", indices)) {
    Text(CStr(value));
    return true;
  }
  if (SameName(name, "Style")) RaiseDesignTimeOnly("Style");
  return ListControl::LetOwn(name, value, indices);
}

}  // namespace tamrel
