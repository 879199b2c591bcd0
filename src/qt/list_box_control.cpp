// ListBox over QListWidget. The selection and the current item are kept
// apart, as in a list box: with single selection the selected item is the
// current one; with several, the current item is the one whose selection
// changed last.
#include <QItemSelectionModel>

#include "qt/qt_text.hpp"
#include "qt/widget_controls.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::qt::detail {

ListBoxControl::ListBoxControl(QListWidget& list) : ListWidgetControl(list, kWindowBackground) {}

int16_t ListBoxControl::MultiSelect() const {
  switch (List().selectionMode()) {
    case QAbstractItemView::MultiSelection:
      return ListBox::kSimpleMultiSelect;
    case QAbstractItemView::ExtendedSelection:
    case QAbstractItemView::ContiguousSelection:
      return ListBox::kExtendedMultiSelect;
    default:
      return ListBox::kSingleSelect;
  }
}

int32_t ListBoxControl::ListCount() const { return List().count(); }

QString ListBoxControl::ItemText(int32_t index) const { return List().item(index)->text(); }

void ListBoxControl::SetItemText(int32_t index, const QString& text) {
  List().item(index)->setText(text);
}

QVariant ListBoxControl::ItemUserData(int32_t index) const {
  return List().item(index)->data(Qt::UserRole);
}

void ListBoxControl::SetItemUserData(int32_t index, int32_t data) {
  List().item(index)->setData(Qt::UserRole, data);
}

void ListBoxControl::InsertItem(int32_t index, const QString& text) {
  List().insertItem(index, text);
}

int32_t ListBoxControl::ListIndex() const { return List().currentRow(); }

// Moves the current item without touching the selection.
void ListBoxControl::MakeCurrent(int32_t index) {
  QListWidget& list = List();
  const QModelIndex item = index < 0 ? QModelIndex() : list.model()->index(index, 0);
  list.selectionModel()->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
}

void ListBoxControl::Select(int32_t index) {
  if (MultiSelect() == ListBox::kSingleSelect) {
    List().clearSelection();
    if (index >= 0) List().item(index)->setSelected(true);
  }
  MakeCurrent(index);
}

void ListBoxControl::SetSelected(int32_t index, bool selected) {
  if (MultiSelect() != ListBox::kSingleSelect) {
    List().item(index)->setSelected(selected);
    MakeCurrent(index);
  } else if (selected) {
    Select(index);
  } else {
    List().item(index)->setSelected(false);
    if (ListIndex() == index) MakeCurrent(-1);
  }
}

std::optional<Variant> ListBoxControl::GetOwn(const std::string& name,
                                              const std::vector<Variant>& indices) {
  if (SameName(name, "Selected")) {
    return Variant(List().item(CheckedIndex(OneIndex(indices)))->isSelected());
  }
  if (IsPlainProperty(name, "Text", indices)) {
    const QListWidgetItem* current = List().currentItem();
    return Variant(current ? FromQString(current->text()) : std::string());
  }
  if (IsPlainProperty(name, "MultiSelect", indices)) return Variant(MultiSelect());
  return ListWidgetControl::GetOwn(name, indices);
}

bool ListBoxControl::LetOwn(const std::string& name, const Variant& value,
                            const std::vector<Variant>& indices) {
  if (SameName(name, "Selected")) {
    const int32_t index = OneIndex(indices);
    const bool selected = CBool(value);
    SetSelected(CheckedIndex(index), selected);
    return true;
  }
  if (SameName(name, "Text")) RaiseReadOnly("Text");
  if (SameName(name, "MultiSelect")) RaiseDesignTimeOnly("MultiSelect");
  return ListWidgetControl::LetOwn(name, value, indices);
}

}  // namespace tamrel::qt::detail
