// The standard controls: plain in-memory TextBox, ComboBox, ListBox,
// CheckBox, OptionButton and Label, and StandardForm, a form that holds
// controls in order.
//
// They behave as a host's standard controls do when reached late-bound, so a
// host without a GUI toolkit (and every test) can bind settings to them:
//
//   auto form = std::make_shared<StandardForm>();
//   auto size = form->Add<ComboBox>("id=Size");
//   size->AddItem("10");
//   size->AddItem("12");
//   context->PopulateFormFromTags("Dlg", *form, snapshot);
//
// By name (Get/Let/Call, names compared without regard to letter case) every
// control answers Tag and BackColor, and:
//   TextBox       Text, MultiLine (get only)
//   ComboBox      Text, List(i), ItemData(i), ListIndex, ListCount (get only),
//                 Style (get only), AddItem(item [, index])
//   ListBox       Text (get only), List(i), ItemData(i), Selected(i),
//                 ListIndex, ListCount (get only), MultiSelect (get only),
//                 AddItem(item [, index])
//   CheckBox      Value (0 unchecked, 1 checked, 2 grey), Caption
//   OptionButton  Value (Boolean), Caption
//   Label         Caption
// Indices are zero-based. Values are converted as the run-time converts them
// and the run-time's errors are raised where a real control raises them:
//   13  a value that does not convert (a BackColor or ListIndex that is not a
//       number, the empty text among them); 94 for Null
//   380 "Invalid property value": a number out of the property's range
//   381 "Invalid property array index": a list index out of range
//   382 a design-time property (MultiLine, Style, MultiSelect) set at run time
//   383 a read-only property (ListCount, a list box's Text) set, or the Text
//       of a drop-down list (Style 2) set to a text that is not an item
//   438 a property or method the control does not have
//   450 an indexed property used without its one index, or an index given to
//       a property that takes none
// The C++ accessors below raise the same errors.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/export.hpp"
#include "tamrel/form.hpp"
#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

namespace detail {
struct OptionGroup;
}  // namespace detail

// Colours as the host's controls know them: an RGB value 0 to &HFFFFFF or a
// system colour &H80000000 to &H80000018.
inline constexpr int32_t kWindowBackground = static_cast<int32_t>(0x80000005u);
inline constexpr int32_t kButtonFace = static_cast<int32_t>(0x8000000Fu);

// Tag and BackColor, which every standard control has.
class TAMREL_EXPORT Control : public Object {
 public:
  const std::string& Tag() const { return tag_; }
  void Tag(std::string tag) { tag_ = std::move(tag); }
  int32_t BackColor() const { return back_color_; }
  // Error 380 when `colour` is not a colour number.
  void BackColor(int32_t colour);

  Variant Get(const std::string& name, const std::vector<Variant>& indices = {}) override;
  void Let(const std::string& name, const Variant& value,
           const std::vector<Variant>& indices = {}) override;

 protected:
  explicit Control(int32_t back_color) : back_color_(back_color) {}

  // The properties of the concrete control. GetOwn returns nothing and
  // LetOwn false for a name the control does not have.
  virtual std::optional<Variant> GetOwn(const std::string& name,
                                        const std::vector<Variant>& indices) = 0;
  virtual bool LetOwn(const std::string& name, const Variant& value,
                      const std::vector<Variant>& indices) = 0;

  // True when `name` is `property` (in any letter case); error 450 when it is
  // and `indices` is not empty, as the property takes no index.
  static bool IsPlainProperty(const std::string& name, const char* property,
                              const std::vector<Variant>& indices);
  // The one index of an indexed property; error 450 unless there is one.
  static int32_t OneIndex(const std::vector<Variant>& indices);
  [[noreturn]] static void RaiseInvalidValue();
  [[noreturn]] static void RaiseReadOnly(const std::string& name);
  [[noreturn]] static void RaiseDesignTimeOnly(const std::string& name);

 private:
  std::string tag_;
  int32_t back_color_;
};

class TAMREL_EXPORT TextBox : public Control {
 public:
  // MultiLine is fixed when the control is made, as at design time.
  explicit TextBox(bool multi_line = false) : Control(kWindowBackground), multi_line_(multi_line) {}
  std::string TypeName() const override { return "TextBox"; }

  const std::string& Text() const { return text_; }
  void Text(std::string text) { text_ = std::move(text); }
  bool MultiLine() const { return multi_line_; }

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

 private:
  bool multi_line_;
  std::string text_;
};

// The item list shared by combo boxes and list boxes: item texts with their
// numeric ItemData, and ListIndex, the current item (-1 for none).
class TAMREL_EXPORT ListControl : public Control {
 public:
  int32_t ListCount() const { return static_cast<int32_t>(items_.size()); }
  // Error 381 when `index` is not 0 to ListCount - 1.
  const std::string& List(int32_t index) const;
  void List(int32_t index, std::string text);
  int32_t ItemData(int32_t index) const;
  void ItemData(int32_t index, int32_t data);
  int32_t ListIndex() const { return list_index_; }
  // Error 380 when `index` is not -1 to ListCount - 1.
  void ListIndex(int32_t index);
  // Appends `item`, or inserts it before `index` (0 to ListCount, else error
  // 5); ItemData of the new item is 0. The current item stays the same item.
  void AddItem(std::string item, std::optional<int32_t> index = std::nullopt);

  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;

 protected:
  using Control::Control;

  struct Item {
    std::string text;
    int32_t data = 0;
    bool selected = false;  // list boxes only
  };

  // List, ItemData, ListIndex and ListCount by name.
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

  // Makes `index` (already checked) the current item; the concrete control
  // adds its own consequences.
  virtual void Select(int32_t index) { list_index_ = index; }
  // Error 381 unless 0 <= index < ListCount.
  std::size_t CheckedIndex(int32_t index) const;
  // The first item whose text is exactly `text`, or -1.
  int32_t FindItem(const std::string& text) const;

  std::vector<Item> items_;
  int32_t list_index_ = -1;
};

class TAMREL_EXPORT ComboBox : public ListControl {
 public:
  static constexpr int16_t kDropDownCombo = 0;
  static constexpr int16_t kSimpleCombo = 1;
  static constexpr int16_t kDropDownList = 2;  // the text is always one of the items

  // Style is fixed when the control is made, as at design time; error 380
  // for a style other than 0, 1 or 2.
  explicit ComboBox(int16_t style = kDropDownCombo);
  std::string TypeName() const override { return "ComboBox"; }

  int16_t Style() const { return style_; }
  const std::string& Text() const { return text_; }
  // Free text selects the first item of exactly that text, or none. A
  // drop-down list only takes the text of one of its items (else error 383).
  void Text(std::string text);

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;
  // The text follows the selected item (the empty text for none).
  void Select(int32_t index) override;

 private:
  int16_t style_;
  std::string text_;
};

class TAMREL_EXPORT ListBox : public ListControl {
 public:
  static constexpr int16_t kSingleSelect = 0;
  static constexpr int16_t kSimpleMultiSelect = 1;
  static constexpr int16_t kExtendedMultiSelect = 2;

  // MultiSelect is fixed when the control is made; error 380 for a value
  // other than 0, 1 or 2. With kSingleSelect at most one item is selected and
  // it is the current item; otherwise any items may be selected and the
  // current item is the one whose selection changed last.
  explicit ListBox(int16_t multi_select = kSingleSelect);
  std::string TypeName() const override { return "ListBox"; }

  int16_t MultiSelect() const { return multi_select_; }
  bool Selected(int32_t index) const;
  void Selected(int32_t index, bool selected);
  // The text of the current item, or the empty text.
  std::string Text() const;

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;
  // In a single-selection list the current item is the selected one.
  void Select(int32_t index) override;

 private:
  void ClearSelection();

  int16_t multi_select_;
};

// Caption, which check boxes, option buttons and labels share.
class TAMREL_EXPORT CaptionedControl : public Control {
 public:
  const std::string& Caption() const { return caption_; }
  void Caption(std::string caption) { caption_ = std::move(caption); }

 protected:
  using Control::Control;
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

 private:
  std::string caption_;
};

class TAMREL_EXPORT CheckBox : public CaptionedControl {
 public:
  static constexpr int16_t kUnchecked = 0;
  static constexpr int16_t kChecked = 1;
  static constexpr int16_t kGrayed = 2;

  CheckBox() : CaptionedControl(kButtonFace) {}
  std::string TypeName() const override { return "CheckBox"; }

  int16_t Value() const { return value_; }
  // Error 380 for a state other than 0, 1 or 2.
  void Value(int16_t state);

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

 private:
  int16_t value_ = kUnchecked;
};

// Option buttons placed on one StandardForm form one group: setting one of
// them to True sets the others to False.
class TAMREL_EXPORT OptionButton : public CaptionedControl {
 public:
  OptionButton() : CaptionedControl(kButtonFace) {}
  std::string TypeName() const override { return "OptionButton"; }

  bool Value() const { return value_; }
  void Value(bool value);

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

 private:
  friend struct detail::OptionGroup;
  bool value_ = false;
  std::shared_ptr<detail::OptionGroup> group_;
};

class TAMREL_EXPORT Label : public CaptionedControl {
 public:
  Label() : CaptionedControl(kButtonFace) {}
  std::string TypeName() const override { return "Label"; }
};

// A form holding controls in the order they were added; Controls() yields
// them in that order. The form keeps its controls alive.
class TAMREL_EXPORT StandardForm : public Form {
 public:
  StandardForm();
  ~StandardForm() override;

  // Appends any control, the host's own included. An OptionButton joins the
  // form's option group.
  void AddControl(const ObjectRef& control);

  // Makes a standard control from `args`, gives it the Tag `tag`, appends
  // it and returns it.
  template <class C, class... Args>
  std::shared_ptr<C> Add(std::string tag, Args&&... args) {
    auto control = std::make_shared<C>(std::forward<Args>(args)...);
    control->Tag(std::move(tag));
    AddControl(control);
    return control;
  }

  std::vector<ObjectRef> Controls() const override { return controls_; }

 private:
  std::vector<ObjectRef> controls_;
  std::shared_ptr<detail::OptionGroup> options_;
};

}  // namespace tamrel
