// Control: the Tag and BackColor of every standard control, and the errors
// the controls raise as the host's controls do.
#include <string>
#include <vector>

#include "forms/colour_number.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel {
void Control::BackColor(int32_t colour) {
  if (!detail::IsColourNumber(colour)) RaiseInvalidValue();
  back_color_ = colour;
}

Variant Control::Get(const std::string& name, const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Tag", indices)) return Variant(tag_);
  if (IsPlainProperty(name, "BackColor", indices)) return Variant(back_color_);
  if (std::optional<Variant> own = GetOwn(name, indices)) return *std::move(own);
  NoSuchMember(name);
}

void Control::Let(const std::string& name, const Variant& value,
                  const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Tag", indices)) {
    tag_ = CStr(value);
  } else if (IsPlainProperty(name, "BackColor", indices)) {
    BackColor(CLng(value));
  } else if (!LetOwn(name, value, indices)) {
    NoSuchMember(name);
  }
}

bool Control::IsPlainProperty(const std::string& name, const char* property,
                              const std::vector<Variant>& indices) {
  if (!SameName(name, property)) return false;
  if (!indices.empty()) Raise(errc::kWrongArgumentCount);
  return true;
}

int32_t Control::OneIndex(const std::vector<Variant>& indices) {
  if (indices.size() != 1) Raise(errc::kWrongArgumentCount);
  return CLng(indices.front());
}

void Control::RaiseInvalidValue() { Raise(errc::kInvalidPropertyValue, "Invalid property value"); }

void Control::RaiseReadOnly(const std::string& name) {
  Raise(errc::kReadOnlyProperty, "'" + name + "' property is read-only");
}

void Control::RaiseDesignTimeOnly(const std::string& name) {
  Raise(errc::kSetOnlyAtDesignTime, "'" + name + "' property cannot be set at run time");
}

}  // namespace tamrel
