// ListBox: an item list whose items can be selected, one at a time or
// several (MultiSelect).
#include "tamrel/forms.hpp"

namespace tamrel {

ListBox::ListBox(int16_t multi_select)
    : ListControl(kWindowBackground), multi_select_(multi_select) {
  if (multi_select != kSingleSelect && multi_select != kSimpleMultiSelect &&
      multi_select != kExtendedMultiSelect) {
    RaiseInvalidValue();
  }
}

bool ListBox::Selected(int32_t index) const { return items_[CheckedIndex(index)].selected; }

void ListBox::Selected(int32_t index, bool selected) {
  Item& item = items_[CheckedIndex(index)];
  if (multi_select_ != kSingleSelect) {
    item.selected = selected;
    list_index_ = index;
  } else if (selected) {
    Select(index);
  } else {
    item.selected = false;
    if (list_index_ == index) list_index_ = -1;
  }
}

std::string ListBox::Text() const { return list_index_ < 0 ? std::string() : List(list_index_); }

void ListBox::Select(int32_t index) {
  if (multi_select_ == kSingleSelect) {
    ClearSelection();
    if (index >= 0) items_[CheckedIndex(index)].selected = true;
  }
  list_index_ = index;
}

void ListBox::ClearSelection() {
  for (Item& item : items_) item.selected = false;
}

std::optional<Variant> ListBox::GetOwn(const std::string& name,
                                       const std::vector<Variant>& indices) {
  if (SameName(name, "Selected")) return Variant(Selected(OneIndex(indices)));
  if (IsPlainProperty(name, "Text", indices)) return Variant(Text());
  if (IsPlainProperty(name, "MultiSelect", indices)) return Variant(multi_select_);
  return ListControl::GetOwn(name, indices);
}

bool ListBox::LetOwn(const std::string& name, const Variant& value,
                     const std::vector<Variant>& indices) {
  if (SameName(name, "Selected")) {
    const int32_t index = OneIndex(indices);
    Selected(index, CBool(value));
    return true;
  }
  if (SameName(name, "Text")) RaiseReadOnly("Text");
  if (SameName(name, "MultiSelect")) RaiseDesignTimeOnly("MultiSelect");
  return ListControl::LetOwn(name, value, indices);
}

}  // namespace tamrel
