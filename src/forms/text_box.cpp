// TextBox: free text; MultiLine is fixed at design time.
#include "tamrel/forms.hpp"

namespace tamrel {

std::optional<Variant> TextBox::GetOwn(const std::string& name,
                                       const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Text", indices)) return Variant(text_);
  if (IsPlainProperty(name, "MultiLine", indices)) return Variant(multi_line_);
  return std::nullopt;
}

bool TextBox::LetOwn(const std::string& name, const Variant& value,
                     const std::vector<Variant>& indices) {
  if (SameName(name, "MultiLine")) RaiseDesignTimeOnly("MultiLine");
  if (!IsPlainProperty(name, "Text", indices)) return false;
  text_ = CStr(value);
  return true;
}

}  // namespace tamrel
