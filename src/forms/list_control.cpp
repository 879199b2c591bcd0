// ListControl: the item list of combo boxes and list boxes.
#include <algorithm>
#include <iterator>

#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel {

const std::string& ListControl::List(int32_t index) const {
  return items_[CheckedIndex(index)].text;
}

void ListControl::List(int32_t index, std::string text) {
  items_[CheckedIndex(index)].text = std::move(text);
}

int32_t ListControl::ItemData(int32_t index) const { return items_[CheckedIndex(index)].data; }

void ListControl::ItemData(int32_t index, int32_t data) { items_[CheckedIndex(index)].data = data; }

void ListControl::ListIndex(int32_t index) {
  if (index < -1 || index >= ListCount()) RaiseInvalidValue();
  Select(index);
}

void ListControl::AddItem(std::string item, std::optional<int32_t> index) {
  const int32_t at = index.value_or(ListCount());
  if (at < 0 || at > ListCount()) Raise(errc::kInvalidArgument);
  items_.insert(items_.begin() + at, Item{std::move(item)});
  if (list_index_ >= at) ++list_index_;
}

Variant ListControl::Call(const std::string& name, std::vector<Variant>& args) {
  if (!SameName(name, "AddItem")) NoSuchMember(name);
  if (args.empty() || args.size() > 2) Raise(errc::kWrongArgumentCount);
  std::optional<int32_t> index;
  if (args.size() == 2) index = CLng(args[1]);
  AddItem(CStr(args[0]), index);
  return Variant();
}

std::optional<Variant> ListControl::GetOwn(const std::string& name,
                                           const std::vector<Variant>& indices) {
  if (SameName(name, "List")) return Variant(List(OneIndex(indices)));
  if (SameName(name, "ItemData")) return Variant(ItemData(OneIndex(indices)));
  if (IsPlainProperty(name, "ListIndex", indices)) return Variant(list_index_);
  if (IsPlainProperty(name, "ListCount", indices)) return Variant(ListCount());
  return std::nullopt;
}

bool ListControl::LetOwn(const std::string& name, const Variant& value,
                         const std::vector<Variant>& indices) {
  if (SameName(name, "List")) {
    const int32_t index = OneIndex(indices);
    List(index, CStr(value));
  } else if (SameName(name, "ItemData")) {
    const int32_t index = OneIndex(indices);
    ItemData(index, CLng(value));
  } else if (IsPlainProperty(name, "ListIndex", indices)) {
    ListIndex(CLng(value));
  } else if (SameName(name, "ListCount")) {
    RaiseReadOnly("ListCount");
  } else {
    return false;
  }
  return true;
}

std::size_t ListControl::CheckedIndex(int32_t index) const {
  if (index < 0 || index >= ListCount()) Raise(errc::kInvalidPropertyIndex);
  return static_cast<std::size_t>(index);
}

int32_t ListControl::FindItem(const std::string& text) const {
  auto found = std::find_if(items_.begin(), items_.end(),
                            [&](const Item& item) { return item.text == text; });
  return found == items_.end() ? -1 : static_cast<int32_t>(std::distance(items_.begin(), found));
}

}  // namespace tamrel
