// The item list that combo boxes and lists share, by name.
#include "qt/qt_text.hpp"
#include "qt/widget_controls.hpp"
#include "tamrel/error.hpp"

namespace tamrel::qt::detail {

int32_t ListWidgetControl::CheckedIndex(int32_t index) const {
  if (index < 0 || index >= ListCount()) Raise(errc::kInvalidPropertyIndex);
  return index;
}

int32_t ListWidgetControl::FindItem(const QString& text) const {
  for (int32_t i = 0; i < ListCount(); ++i) {
    if (ItemText(i) == text) return i;
  }
  return -1;
}

void ListWidgetControl::AddItem(const std::string& item, std::optional<int32_t> index) {
  const int32_t at = index.value_or(ListCount());
  if (at < 0 || at > ListCount()) Raise(errc::kInvalidArgument);
  const int32_t current = ListIndex();
  InsertItem(at, ToQString(item));
  // Qt makes the first item of an empty list current; the control does not.
  const int32_t same_item = current >= at ? current + 1 : current;
  if (ListIndex() != same_item) Select(same_item);
}

Variant ListWidgetControl::Call(const std::string& name, std::vector<Variant>& args) {
  if (!SameName(name, "AddItem")) NoSuchMember(name);
  if (args.empty() || args.size() > 2) Raise(errc::kWrongArgumentCount);
  std::optional<int32_t> index;
  if (args.size() == 2) index = CLng(args[1]);
  AddItem(CStr(args[0]), index);
  return Variant();
}

std::optional<Variant> ListWidgetControl::GetOwn(const std::string& name,
                                                 const std::vector<Variant>& indices) {
  if (SameName(name, "List")) {
    return Variant(FromQString(ItemText(CheckedIndex(OneIndex(indices)))));
  }
  if (SameName(name, "ItemData")) {
    // Data that is no number counts as none, which is 0.
    return Variant(ItemUserData(CheckedIndex(OneIndex(indices))).toInt());
  }
  if (IsPlainProperty(name, "ListIndex", indices)) return Variant(ListIndex());
  if (IsPlainProperty(name, "ListCount", indices)) return Variant(ListCount());
  return std::nullopt;
}

bool ListWidgetControl::LetOwn(const std::string& name, const Variant& value,
                               const std::vector<Variant>& indices) {
  if (SameName(name, "List")) {
    const int32_t index = OneIndex(indices);
    const std::string text = CStr(value);
    SetItemText(CheckedIndex(index), ToQString(text));
  } else if (SameName(name, "ItemData")) {
    const int32_t index = OneIndex(indices);
    const int32_t data = CLng(value);
    SetItemUserData(CheckedIndex(index), data);
  } else if (IsPlainProperty(name, "ListIndex", indices)) {
    const int32_t index = CLng(value);
    if (index < -1 || index >= ListCount()) RaiseInvalidValue();
    Select(index);
  } else if (SameName(name, "ListCount")) {
    RaiseReadOnly("ListCount");
  } else {
    return false;
  }
  return true;
}

}  // namespace tamrel::qt::detail
