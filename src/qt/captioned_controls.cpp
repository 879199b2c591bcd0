// Check boxes, option buttons and labels: the controls with a Caption.
#include <QButtonGroup>

#include "qt/qt_text.hpp"
#include "qt/widget_controls.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::qt::detail {

std::optional<Variant> CaptionedWidgetControl::GetOwn(const std::string& name,
                                                      const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Caption", indices)) return std::nullopt;
  return Variant(FromQString(Caption()));
}

bool CaptionedWidgetControl::LetOwn(const std::string& name, const Variant& value,
                                    const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Caption", indices)) return false;
  Caption(ToQString(CStr(value)));
  return true;
}

CheckBoxControl::CheckBoxControl(QCheckBox& box) : CaptionedWidgetControl(box, kButtonFace) {}

std::optional<Variant> CheckBoxControl::GetOwn(const std::string& name,
                                               const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) {
    return CaptionedWidgetControl::GetOwn(name, indices);
  }
  switch (As<QCheckBox>().checkState()) {
    case Qt::Checked:
      return Variant(CheckBox::kChecked);
    case Qt::PartiallyChecked:
      return Variant(CheckBox::kGrayed);
    default:
      return Variant(CheckBox::kUnchecked);
  }
}

bool CheckBoxControl::LetOwn(const std::string& name, const Variant& value,
                             const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) {
    return CaptionedWidgetControl::LetOwn(name, value, indices);
  }
  const int16_t state = CInt(value);
  QCheckBox& box = As<QCheckBox>();
  switch (state) {
    case CheckBox::kUnchecked:
      box.setCheckState(Qt::Unchecked);
      break;
    case CheckBox::kChecked:
      box.setCheckState(Qt::Checked);
      break;
    case CheckBox::kGrayed:
      box.setTristate(true);
      box.setCheckState(Qt::PartiallyChecked);
      break;
    default:
      RaiseInvalidValue();
  }
  return true;
}

OptionButtonControl::OptionButtonControl(QRadioButton& button)
    : CaptionedWidgetControl(button, kButtonFace) {}

// Qt keeps one button of an exclusive group checked; an option group may
// have none, so the last checked button is cleared with the exclusion off.
void OptionButtonControl::Value(bool checked) {
  QRadioButton& button = As<QRadioButton>();
  if (checked || !button.isChecked()) {
    button.setChecked(checked);
    return;
  }
  QButtonGroup* group = button.group();
  const bool group_exclusive = group != nullptr && group->exclusive();
  const bool auto_exclusive = button.autoExclusive();
  if (group_exclusive) group->setExclusive(false);
  button.setAutoExclusive(false);
  button.setChecked(false);
  button.setAutoExclusive(auto_exclusive);
  if (group_exclusive) group->setExclusive(true);
}

std::optional<Variant> OptionButtonControl::GetOwn(const std::string& name,
                                                   const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) {
    return CaptionedWidgetControl::GetOwn(name, indices);
  }
  return Variant(As<QRadioButton>().isChecked());
}

bool OptionButtonControl::LetOwn(const std::string& name, const Variant& value,
                                 const std::vector<Variant>& indices) {
  if (!IsPlainProperty(name, "Value", indices)) {
    return CaptionedWidgetControl::LetOwn(name, value, indices);
  }
  Value(CBool(value));
  return true;
}

LabelControl::LabelControl(QLabel& label) : CaptionedWidgetControl(label, kButtonFace) {}

}  // namespace tamrel::qt::detail
