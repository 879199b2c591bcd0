#include "forms/control_reading.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "forms/setting_name.hpp"

namespace tamrel::detail {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

ControlReading OneValue(Variant value) { return ControlReading{{std::move(value)}, false}; }

Variant BooleanText(bool value) { return Variant(value ? "True" : "False"); }

int32_t ListCountOf(Object& control) { return CLng(control.Get("ListCount")); }

std::string ItemText(Object& control, int32_t index) {
  return CStr(control.Get("List", {Variant(index)}));
}

// ItemData of the current item; nothing without one.
ControlReading ReadCurrentItemData(Object& control) {
  const int32_t index = CLng(control.Get("ListIndex"));
  if (index <= -1) return {};
  return OneValue(control.Get("ItemData", {Variant(index)}));
}

// The list text of every non-empty item, from the last item to the first.
ControlReading ReadItemsAsListText(Object& control) {
  std::string list_text;
  for (int32_t i = ListCountOf(control) - 1; i >= 0; --i) {
    const std::string item = ItemText(control, i);
    if (!item.empty()) AppendToListText(list_text, item);
  }
  return OneValue(Variant(list_text));
}

// Every line of the text, split at each CR LF, from the last line to the
// first; empty lines are values too.
ControlReading ReadLines(Object& control) {
  const std::string text = CStr(control.Get("Text"));
  ControlReading reading{{}, true};
  std::size_t start = 0;
  for (std::size_t end = text.find(kLineBreak); end != std::string::npos;
       end = text.find(kLineBreak, start)) {
    reading.values.emplace_back(text.substr(start, end - start));
    start = end + kLineBreak.size();
  }
  reading.values.emplace_back(text.substr(start));
  std::reverse(reading.values.begin(), reading.values.end());
  return reading;
}

// The texts of the selected items, from the last item to the first.
ControlReading ReadSelectedItems(Object& control) {
  ControlReading reading{{}, true};
  for (int32_t i = ListCountOf(control) - 1; i >= 0; --i) {
    if (CBool(control.Get("Selected", {Variant(i)}))) {
      reading.values.emplace_back(ItemText(control, i));
    }
  }
  return reading;
}

ControlReading ReadByType(Object& control) {
  const std::string type = control.TypeName();
  if (type == "TextBox") {
    if (CBool(control.Get("MultiLine"))) return ReadLines(control);
    return OneValue(control.Get("Text"));
  }
  if (type == "ComboBox") return OneValue(control.Get("Text"));
  if (type == "CheckBox") return OneValue(BooleanText(control.Get("Value") == Variant(int16_t{1})));
  if (type == "OptionButton") return OneValue(BooleanText(CBool(control.Get("Value"))));
  if (type == "ListBox") return ReadSelectedItems(control);
  return {};
}

}  // namespace

ControlReading ReadControl(Object& control, const std::string& prop) {
  if (prop == "BackColor" || prop == "Caption") return OneValue(control.Get(prop));
  if (prop == "ItemData") return ReadCurrentItemData(control);
  if (prop == "List") return ReadItemsAsListText(control);
  return ReadByType(control);
}

std::optional<Variant> DictionaryValue(const ControlReading& reading) {
  if (reading.folded) {
    std::string list_text;
    for (const Variant& value : reading.values) AppendToListText(list_text, CStr(value));
    return Variant(list_text);
  }
  if (reading.values.empty()) return std::nullopt;
  return reading.values.front();
}

}  // namespace tamrel::detail
