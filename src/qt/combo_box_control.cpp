// ComboBox over QComboBox. An editable combo box (Style 0) takes free text;
// one that is not editable (Style 2) only ever shows one of its items.
#include "qt/qt_text.hpp"
#include "qt/widget_controls.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::qt::detail {

ComboBoxControl::ComboBoxControl(QComboBox& combo) : ListWidgetControl(combo, kWindowBackground) {}

int32_t ComboBoxControl::ListCount() const { return Combo().count(); }

QString ComboBoxControl::ItemText(int32_t index) const { return Combo().itemText(index); }

void ComboBoxControl::SetItemText(int32_t index, const QString& text) {
  Combo().setItemText(index, text);
}

QVariant ComboBoxControl::ItemUserData(int32_t index) const {
  return Combo().itemData(index, Qt::UserRole);
}

void ComboBoxControl::SetItemUserData(int32_t index, int32_t data) {
  Combo().setItemData(index, data, Qt::UserRole);
}

void ComboBoxControl::InsertItem(int32_t index, const QString& text) {
  QComboBox& combo = Combo();
  const QString shown = combo.currentText();
  const bool had_current = combo.currentIndex() >= 0;
  combo.insertItem(index, text);
  // Qt makes the first item of an empty combo box current and shows it.
  if (!had_current) combo.setCurrentIndex(-1);
  if (combo.isEditable()) combo.setEditText(shown);
}

// Text a person typed into an editable combo box leaves Qt's current item
// where it was, or none; as with free text set by name, the current item is
// then the first item of that text, or none. Text set by name with no item
// of its own (Qt's current item none, the line edit not modified by a person)
// keeps no current item even when an item of that text is added later, as
// the standard control does.
int32_t ComboBoxControl::ListIndex() const {
  const QComboBox& combo = Combo();
  const int32_t current = combo.currentIndex();
  if (!combo.isEditable()) return current;
  const QString shown = combo.currentText();
  if (current >= 0 && combo.itemText(current) == shown) return current;
  if (current < 0 && !combo.lineEdit()->isModified()) return -1;
  return FindItem(shown);
}

void ComboBoxControl::Select(int32_t index) {
  QComboBox& combo = Combo();
  combo.setCurrentIndex(index);
  if (combo.isEditable()) combo.setEditText(index < 0 ? QString() : combo.itemText(index));
}

void ComboBoxControl::Text(const std::string& text) {
  const QString wanted = ToQString(text);
  const int32_t match = FindItem(wanted);
  if (IsDropDownList() && match < 0) RaiseReadOnly("Text");
  QComboBox& combo = Combo();
  combo.setCurrentIndex(match);
  if (combo.isEditable()) combo.setEditText(wanted);
}

std::optional<Variant> ComboBoxControl::GetOwn(const std::string& name,
                                               const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Text", indices)) return Variant(FromQString(Combo().currentText()));
  if (IsPlainProperty(name, "Style", indices)) {
    return Variant(IsDropDownList() ? ComboBox::kDropDownList : ComboBox::kDropDownCombo);
  }
  return ListWidgetControl::GetOwn(name, indices);
}

bool ComboBoxControl::LetOwn(const std::string& name, const Variant& value,
                             const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Text", indices)) {
    Text(CStr(value));
    return true;
  }
  if (SameName(name, "Style")) RaiseDesignTimeOnly("Style");
  return ListWidgetControl::LetOwn(name, value, indices);
}

}  // namespace tamrel::qt::detail
