// Form population: the store's values into a form's bound controls, with a
// snapshot in the caller's dictionary of what each control was given. A
// later ExtractTagsFromFormToCollection on the same dictionary compares the
// form against that snapshot.
#include <functional>
#include <optional>
#include <string>

#include "automation/error_trap.hpp"
#include "forms/control_params.hpp"
#include "forms/setting_name.hpp"
#include "persist/context_state.hpp"
#include "tamrel/context.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

constexpr const char* kLineBreak = "\r\n";

// Fills one bound control from the values of its setting.
class ControlFiller {
 public:
  ControlFiller(ContextCls& context, Dictionary& snapshot, Object& control,
                detail::SettingName setting)
      : context_(context),
        snapshot_(snapshot),
        control_(control),
        setting_(std::move(setting)),
        key_(setting_.tag + "." + setting_.id) {}

  void Fill(const std::string& prop) {
    if (prop == "BackColor") return FillBackColor();
    if (prop == "Caption") return FillCaption();
    if (prop == "ItemData") return FillItemData();
    if (prop == "List") return FillList();
    const std::string type = control_.TypeName();
    if (type == "TextBox") return CBool(control_.Get("MultiLine")) ? FillLines() : FillText();
    if (type == "ComboBox") return FillComboBox();
    if (type == "CheckBox") return FillCheckBox();
    if (type == "OptionButton") return FillOptionButton();
    if (type == "ListBox") return FillListBox();
  }

 private:
  // The first stored value, or "" when there is none; read afresh at each
  // use, which puts the setting's read cursor back on its first value.
  Variant Stored() { return context_.Value(setting_.tag, setting_.id); }
  std::string StoredText() { return CStr(Stored()); }

  // Visits every stored value in order, moving only the read cursor.
  void ForEachStoredValue(const std::function<void(const std::string&)>& visit) {
    context_.MoveFirst(setting_.tag, setting_.id);
    while (!context_.Eof(setting_.tag, setting_.id)) {
      visit(CStr(context_.Read(setting_.tag, setting_.id)));
      context_.MoveNext(setting_.tag, setting_.id);
    }
  }

  void SnapshotIfAbsent(const std::function<Variant()>& value) {
    if (!snapshot_.Exists(key_)) snapshot_.Add(key_, value());
  }

  // Adds `element` to the snapshot entry as a further list element.
  void ExtendSnapshot(const std::string& element) {
    if (snapshot_.Exists(key_)) {
      snapshot_.Item(key_,
                     Variant(ConcatText(snapshot_.Item(key_)) + detail::kListSeparator + element));
    } else {
      snapshot_.Add(key_, Variant(element));
    }
  }

  int32_t ListCount() { return CLng(control_.Get("ListCount")); }
  bool IsDropDownList() { return CInt(control_.Get("Style")) == ComboBox::kDropDownList; }

  // Makes every item that `matches` the current one, from the last item to
  // the first, so the lowest match stays current; each match extends the
  // snapshot by `element`.
  void SelectMatchingItems(const std::string& element,
                           const std::function<bool(int32_t)>& matches) {
    for (int32_t i = ListCount() - 1; i >= 0; --i) {
      if (!matches(i)) continue;
      control_.Let("ListIndex", Variant(i));
      ExtendSnapshot(element);
    }
  }

  bool ItemTextIs(int32_t index, const std::string& text) {
    return CStr(control_.Get("List", {Variant(index)})) == text;
  }

  void FillBackColor() {
    control_.Let("BackColor", Stored());
    SnapshotIfAbsent([&] { return Stored(); });
  }

  void FillCaption() {
    if (StoredText().empty()) return;
    control_.Let("Caption", Stored());
    if (!snapshot_.Exists(key_) && !StoredText().empty()) snapshot_.Add(key_, Stored());
  }

  // ItemData holds numbers; a stored text that is not a number matches none.
  void FillItemData() {
    if (ListCount() <= 0) return;
    const std::string wanted = StoredText();
    const std::optional<double> number = ParseNumericText(wanted);
    SelectMatchingItems(wanted, [&](int32_t i) {
      return number && CDbl(control_.Get("ItemData", {Variant(i)})) == *number;
    });
  }

  // The items already in the list stay. A snapshot entry already present
  // makes the add fail with the duplicate-key error.
  void FillList() {
    std::string list_text;
    ForEachStoredValue([&](const std::string& value) {
      detail::AppendToListText(list_text, value);
      control_.Call("AddItem", {Variant(value)});
    });
    snapshot_.Add(key_, Variant(list_text));
  }

  // One line per stored value; the snapshot keeps the text as it stood after
  // the first value.
  void FillLines() {
    control_.Let("Text", Variant(""));
    ForEachStoredValue([&](const std::string& value) {
      if (!CStr(control_.Get("Text")).empty()) {
        control_.Let("Text", Variant(CStr(control_.Get("Text")) + kLineBreak));
      }
      control_.Let("Text", Variant(CStr(control_.Get("Text")) + value));
      SnapshotIfAbsent([&] { return control_.Get("Text"); });
    });
  }

  void FillText() {
    control_.Let("Text", Stored());
    SnapshotIfAbsent([&] { return control_.Get("Text"); });
  }

  // A value that matches no item becomes free text, except in a drop-down
  // list.
  void FillComboBox() {
    if (ListCount() <= 0) {
      if (!IsDropDownList()) control_.Let("Text", Stored());
      return;
    }
    const std::string wanted = StoredText();
    SelectMatchingItems(wanted, [&](int32_t i) { return ItemTextIs(i, wanted); });
    const bool drop_down_list = IsDropDownList();
    if (!snapshot_.Exists(key_) && !drop_down_list) control_.Let("Text", Stored());
  }

  void FillCheckBox() {
    const int16_t state = StoredText() == "True" ? CheckBox::kChecked : CheckBox::kUnchecked;
    control_.Let("Value", Variant(state));
    SnapshotIfAbsent([&] { return Stored(); });
  }

  // The host processes the events of the change before the sweep goes on.
  void FillOptionButton() {
    control_.Let("Value", Variant(StoredText() == "True"));
    if (const auto& pump = platform::Current().pump_messages) pump();
    SnapshotIfAbsent([&] { return Stored(); });
  }

  void FillListBox() {
    for (int32_t i = ListCount() - 1; i >= 0; --i) {
      control_.Let("Selected", Variant(false), {Variant(i)});
    }
    ForEachStoredValue([&](const std::string& value) {
      for (int32_t i = ListCount() - 1; i >= 0; --i) {
        if (!ItemTextIs(i, value)) continue;
        control_.Let("Selected", Variant(true), {Variant(i)});
        ExtendSnapshot(value);
      }
    });
  }

  ContextCls& context_;
  Dictionary& snapshot_;
  Object& control_;
  const detail::SettingName setting_;
  const std::string key_;
};

}  // namespace

void ContextCls::PopulateFormFromTags(const std::string& TagName, Form& myFrm, Dictionary& cln) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "PopulateFormFromTags", [&] {
    for (const ObjectRef& control : myFrm.Controls()) {
      const std::string id = detail::GetControlId(state, *control);
      if (id.empty()) continue;
      ControlFiller filler(*this, cln, *control, detail::SettingOf(TagName, id));
      filler.Fill(detail::GetControlProp(state, *control));
    }
  });
}

}  // namespace tamrel
