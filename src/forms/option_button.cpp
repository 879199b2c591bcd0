// OptionButton: a Boolean choice, exclusive within its form's group.
#include "forms/option_group.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::detail {

void OptionGroup::Join(const std::shared_ptr<OptionGroup>& group,
                       const std::shared_ptr<OptionButton>& button) {
  if (button->group_) {
    std::erase_if(button->group_->members, [&](const std::weak_ptr<OptionButton>& member) {
      return member.lock() == button;
    });
  }
  group->members.push_back(button);
  button->group_ = group;
}

void OptionGroup::Checked(const OptionButton& button) {
  for (const std::weak_ptr<OptionButton>& member : members) {
    std::shared_ptr<OptionButton> other = member.lock();
    if (other && other.get() != &button) other->value_ = false;
  }
}

}  // namespace tamrel::detail

namespace tamrel {

void OptionButton::Value(bool value) {
  value_ = value;
  if (value && group_) group_->Checked(*this);
}

std::optional<Variant> OptionButton::GetOwn(const std::string& name,
                                            const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) return CaptionedControl::GetOwn(name, indices);
  return Variant(value_);
}

bool OptionButton::LetOwn(const std::string& name, const Variant& value,
                          const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) {
    return CaptionedControl::LetOwn(name, value, indices);
  }
  Value(CBool(value));
  return true;
}

}  // namespace tamrel
