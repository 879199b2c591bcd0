// Each widget control against the standard control of its type: the same
// calls by name, in the same order, must give the same values and the same
// errors (number and description). Scripted calls cover every property and
// error; random call sequences over the item lists look for differences in
// how selection and the current item move.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QWidget>
#include <random>
#include <string>
#include <vector>

#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/qt.hpp"

namespace tamrel::testing {
namespace {

// One call by name. `indices` are the index of a property or, for kCall,
// the arguments.
struct Op {
  enum Kind { kGet, kLet, kCall } kind;
  std::string name;
  std::vector<Variant> indices;
  Variant value;
};

Op Get(std::string name, std::vector<Variant> indices = {}) {
  return {Op::kGet, std::move(name), std::move(indices), Variant()};
}
Op Let(std::string name, Variant value, std::vector<Variant> indices = {}) {
  return {Op::kLet, std::move(name), std::move(indices), std::move(value)};
}
Op Call(std::string name, std::vector<Variant> args) {
  return {Op::kCall, std::move(name), std::move(args), Variant()};
}

std::string Describe(const Op& op) {
  std::string text = op.kind == Op::kGet ? "Get " : op.kind == Op::kLet ? "Let " : "Call ";
  text += op.name + "(";
  for (const Variant& index : op.indices) text += (index.IsNull() ? "Null" : CStr(index)) + ",";
  text += ")";
  if (op.kind == Op::kLet) text += " = " + (op.value.IsNull() ? "Null" : CStr(op.value));
  return text;
}

// What a call gave: its value with the value's kind, or its error.
std::string Outcome(Object& control, const Op& op) {
  try {
    Variant result;
    if (op.kind == Op::kGet) result = control.Get(op.name, op.indices);
    if (op.kind == Op::kLet) control.Let(op.name, op.value, op.indices);
    if (op.kind == Op::kCall) {
      std::vector<Variant> args = op.indices;
      result = control.Call(op.name, args);
    }
    return TypeName(result) + " " + CStr(result);
  } catch (const Error& error) {
    return "error " + std::to_string(error.number()) + " " + error.description();
  }
}

// A standard control and a widget control of the same type, driven alike.
struct Twin {
  ObjectRef standard;
  ObjectRef widget;

  void ExpectSame(const std::vector<Op>& ops) const {
    for (const Op& op : ops) {
      const std::string expected = Outcome(*standard, op);
      EXPECT_EQ(Outcome(*widget, op), expected) << Describe(op);
    }
  }
};

class ControlConformanceTest : public ::testing::Test {
 protected:
  template <class Widget>
  Widget* NewWidget() {
    return new Widget(&root_);
  }
  Twin Make(ObjectRef standard, QWidget* widget) {
    return Twin{std::move(standard), qt::WidgetControl(*widget)};
  }

  QWidget root_;
  StandardForm form_;  // groups the standard option buttons
};

// Calls every control answers alike: Tag, BackColor and unknown names.
const std::vector<Op> kCommonOps = {
    Get("Tag"),
    Let("tag", Variant("id=Size; prop=List")),
    Get("TAG"),
    Get("Tag", {Variant(0)}),
    Let("Tag", Variant::Null()),
    Get("BackColor"),
    Let("BackColor", Variant(int32_t{0x123456})),
    Get("backcolor"),
    Let("BackColor", Variant("")),
    Let("BackColor", Variant(int32_t{0x01000000})),
    Let("BackColor", Variant(-1)),
    Let("BackColor", Variant(static_cast<int32_t>(0x80000019u))),
    Let("BackColor", Variant(static_cast<int32_t>(0x80000008u))),
    Get("BackColor"),
    Let("BackColor", Variant("255")),
    Get("BackColor"),
    Get("Nonsense"),
    Let("Nonsense", Variant(1)),
    Call("Nonsense", {}),
    Get("Caption", {Variant(1)}),
};

std::vector<Op> WithCommonOps(std::vector<Op> ops) {
  ops.insert(ops.end(), kCommonOps.begin(), kCommonOps.end());
  return ops;
}

TEST_F(ControlConformanceTest, TextBoxes) {
  const std::vector<Op> ops = WithCommonOps({
      Get("Text"),
      Let("Text", Variant("Plant 7")),
      Get("text"),
      Let("Text", Variant(int32_t{12})),
      Get("Text"),
      Let("Text", Variant("tab\there, ümlaut")),
      Get("Text"),
      Let("Text", Variant::Null()),
      Get("Text", {Variant(0)}),
      Let("Text", Variant("x"), {Variant(0)}),
      Get("MultiLine"),
      Let("MultiLine", Variant(true)),
      Let("MultiLine", Variant(true), {Variant(0)}),
      Get("Value"),
      Call("AddItem", {Variant("x")}),
  });
  Make(std::make_shared<TextBox>(false), NewWidget<QLineEdit>()).ExpectSame(ops);
  const std::vector<Op> lines = {
      Let("Text", Variant("one\r\n\r\nthree\r\n")),
      Get("Text"),
      Let("Text", Variant("\r\n")),
      Get("Text"),
      Let("Text", Variant("tab\there, ümlaut")),
      Get("Text"),
      Get("MultiLine"),
  };
  Make(std::make_shared<TextBox>(true), NewWidget<QPlainTextEdit>())
      .ExpectSame(WithCommonOps(lines));
}

std::vector<Op> ListOps() {
  return {
      Get("ListCount"),
      Get("ListIndex"),
      Call("AddItem", {Variant("A")}),
      Call("AddItem", {Variant("B")}),
      Call("AddItem", {Variant("C"), Variant(0)}),
      Call("AddItem", {Variant("D"), Variant(9)}),
      Call("AddItem", {Variant("D"), Variant(-1)}),
      Call("AddItem", {}),
      Call("AddItem", {Variant("D"), Variant(0), Variant(0)}),
      Call("AddItem", {Variant::Null()}),
      Call("additem", {Variant(int32_t{7}), Variant("1")}),
      Get("ListCount"),
      Let("ListCount", Variant(1)),
      Get("ListCount", {Variant(0)}),
      Get("ListIndex"),
      Let("ListIndex", Variant(1)),
      Get("ListIndex"),
      Get("Text"),
      Let("ListIndex", Variant(4)),
      Let("ListIndex", Variant(-2)),
      Let("ListIndex", Variant("x")),
      Let("ListIndex", Variant(1), {Variant(0)}),
      Call("AddItem", {Variant("E"), Variant(0)}),
      Get("ListIndex"),
      Get("Text"),
      Get("List", {Variant(0)}),
      Get("List", {Variant(4)}),
      Get("List", {Variant(5)}),
      Get("List", {Variant(-1)}),
      Get("List"),
      Get("List", {Variant("x")}),
      Get("List", {Variant(0), Variant(1)}),
      Let("List", Variant("Z"), {Variant(3)}),
      Get("List", {Variant(3)}),
      Let("List", Variant::Null(), {Variant(9)}),
      Let("List", Variant("Z"), {Variant(9)}),
      Let("List", Variant("Z")),
      Get("ItemData", {Variant(1)}),
      Let("ItemData", Variant(int32_t{42}), {Variant(1)}),
      Let("ItemData", Variant("-7"), {Variant(2)}),
      Get("ItemData", {Variant(1)}),
      Get("ItemData", {Variant(2)}),
      Let("ItemData", Variant("x"), {Variant(9)}),
      Let("ItemData", Variant(1), {Variant(9)}),
      Get("ItemData", {Variant(9)}),
      Let("ListIndex", Variant(-1)),
      Get("ListIndex"),
      Get("Text"),
  };
}

TEST_F(ControlConformanceTest, ComboBoxesOfBothStyles) {
  const std::vector<Op> text_ops = {
      Let("Text", Variant("B")),
      Get("ListIndex"),
      Get("Text"),
      Let("Text", Variant("free")),
      Get("ListIndex"),
      Get("Text"),
      Let("Text", Variant("")),
      Get("ListIndex"),
      Let("Text", Variant::Null()),
      Get("Style"),
      Let("Style", Variant(int16_t{0})),
      Get("Selected", {Variant(0)}),
      Get("MultiSelect"),
  };
  for (int16_t style : {ComboBox::kDropDownCombo, ComboBox::kDropDownList}) {
    SCOPED_TRACE(style);
    std::vector<Op> ops = ListOps();
    ops.insert(ops.end(), text_ops.begin(), text_ops.end());
    auto* combo = NewWidget<QComboBox>();
    combo->setEditable(style == ComboBox::kDropDownCombo);
    Make(std::make_shared<ComboBox>(style), combo).ExpectSame(WithCommonOps(ops));
  }
}

TEST_F(ControlConformanceTest, ListBoxesOfEverySelectionMode) {
  const std::vector<Op> selection_ops = {
      Let("Selected", Variant(true), {Variant(1)}),
      Get("Selected", {Variant(0)}),
      Get("Selected", {Variant(1)}),
      Get("ListIndex"),
      Get("Text"),
      Let("Selected", Variant(true), {Variant(3)}),
      Get("Selected", {Variant(1)}),
      Get("ListIndex"),
      Let("Selected", Variant(false), {Variant(3)}),
      Get("ListIndex"),
      Get("Selected", {Variant(3)}),
      Let("ListIndex", Variant(2)),
      Get("Selected", {Variant(2)}),
      Call("AddItem", {Variant("F"), Variant(0)}),
      Get("Selected", {Variant(2)}),
      Get("Selected", {Variant(3)}),
      Get("ListIndex"),
      Let("Selected", Variant("x"), {Variant(9)}),
      Let("Selected", Variant(true), {Variant(9)}),
      Get("Selected", {Variant(9)}),
      Get("Selected"),
      Let("Text", Variant("A")),
      Get("MultiSelect"),
      Let("MultiSelect", Variant(int16_t{1})),
      Get("Style"),
  };
  const QAbstractItemView::SelectionMode modes[] = {QAbstractItemView::SingleSelection,
                                                    QAbstractItemView::MultiSelection,
                                                    QAbstractItemView::ExtendedSelection};
  for (int16_t multi_select = 0; multi_select <= 2; ++multi_select) {
    SCOPED_TRACE(multi_select);
    std::vector<Op> ops = ListOps();
    ops.insert(ops.end(), selection_ops.begin(), selection_ops.end());
    auto* list = NewWidget<QListWidget>();
    list->setSelectionMode(modes[multi_select]);
    Make(std::make_shared<ListBox>(multi_select), list).ExpectSame(WithCommonOps(ops));
  }
}

TEST_F(ControlConformanceTest, CheckBoxesOptionButtonsAndLabels) {
  const std::vector<Op> caption_ops = {
      Get("Caption"),
      Let("Caption", Variant("&Bold")),
      Get("caption"),
      Let("Caption", Variant::Null()),
  };
  std::vector<Op> check_ops = {
      Get("Value"),
      Let("Value", Variant(int16_t{2})),
      Get("Value"),
      Let("Value", Variant("1")),
      Get("Value"),
      Let("Value", Variant(int16_t{3})),
      Let("Value", Variant(-1)),
      Let("Value", Variant(int32_t{70000})),
      Let("Value", Variant("x")),
      Let("Value", Variant(true)),
      Get("Value"),
      Let("Value", Variant(int16_t{0}), {Variant(0)}),
      Get("Text"),
  };
  check_ops.insert(check_ops.end(), caption_ops.begin(), caption_ops.end());
  Make(std::make_shared<CheckBox>(), NewWidget<QCheckBox>()).ExpectSame(WithCommonOps(check_ops));

  std::vector<Op> label_ops = caption_ops;
  label_ops.push_back(Get("Value"));
  Make(std::make_shared<Label>(), NewWidget<QLabel>()).ExpectSame(WithCommonOps(label_ops));

  // Two option buttons of one group, driven in turns.
  Twin first = Make(form_.Add<OptionButton>(""), NewWidget<QRadioButton>());
  Twin second = Make(form_.Add<OptionButton>(""), NewWidget<QRadioButton>());
  const std::vector<std::pair<Twin*, Op>> turns = {
      {&first, Get("Value")},
      {&first, Let("Value", Variant(true))},
      {&second, Get("Value")},
      {&second, Let("Value", Variant("True"))},
      {&first, Get("Value")},
      {&second, Let("Value", Variant(false))},
      {&second, Get("Value")},
      {&first, Get("Value")},
      {&first, Let("Value", Variant(int32_t{5}))},
      {&first, Get("Value")},
      {&first, Let("Value", Variant("x"))},
      {&first, Let("Value", Variant::Null())},
      {&second, Get("Caption")},
  };
  for (const auto& [twin, op] : turns) twin->ExpectSame({op});
  first.ExpectSame(WithCommonOps(caption_ops));
}

// Random calls on the item list: AddItem anywhere, ListIndex, Selected and
// Text, each followed by reading the whole state. A failing seed is printed.
TEST_F(ControlConformanceTest, RandomCallsOnItemListsAgree) {
  const std::vector<std::string> texts = {"A", "B", "", "A"};
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](int32_t below) {
      return static_cast<int32_t>(random() % static_cast<uint32_t>(below));
    };
    const int32_t kind = pick(5);  // 0, 1: combo box styles 0, 2; 2-4: list boxes
    Twin twin;
    if (kind < 2) {
      const int16_t style = kind == 0 ? ComboBox::kDropDownCombo : ComboBox::kDropDownList;
      auto* combo = NewWidget<QComboBox>();
      combo->setEditable(kind == 0);
      twin = Make(std::make_shared<ComboBox>(style), combo);
    } else {
      auto* list = NewWidget<QListWidget>();
      const QAbstractItemView::SelectionMode modes[] = {QAbstractItemView::SingleSelection,
                                                        QAbstractItemView::MultiSelection,
                                                        QAbstractItemView::ExtendedSelection};
      list->setSelectionMode(modes[kind - 2]);
      twin = Make(std::make_shared<ListBox>(static_cast<int16_t>(kind - 2)), list);
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", kind " + std::to_string(kind));
    std::string history;  // the calls so far, shown with a failure
    for (int step = 0; step < 40 && !HasFailure(); ++step) {
      const int32_t count = CLng(twin.standard->Get("ListCount"));
      const Variant index(pick(count + 2) - 1);
      const Variant text(texts[static_cast<std::size_t>(pick(4))]);
      std::vector<Op> ops;
      switch (pick(5)) {
        case 0:
          ops.push_back(Call("AddItem", {text}));
          break;
        case 1:
          ops.push_back(Call("AddItem", {text, Variant(pick(count + 1))}));
          break;
        case 2:
          ops.push_back(Let("ListIndex", index));
          break;
        case 3:
          ops.push_back(kind < 2 ? Let("Text", text)
                                 : Let("Selected", Variant(pick(2) == 0), {index}));
          break;
        default:
          // Renaming a combo box's current item is where the kinds part: the
          // widget shows the new name, the standard control keeps its text.
          if (kind < 2 && index == twin.standard->Get("ListIndex")) break;
          ops.push_back(Let("List", text, {index}));
      }
      if (ops.empty()) continue;
      history += Describe(ops.front()) + "; ";
      SCOPED_TRACE(history);
      ops.push_back(Get("ListIndex"));
      ops.push_back(Get("Text"));
      for (int32_t i = 0; i < count && kind >= 2; ++i) ops.push_back(Get("Selected", {Variant(i)}));
      twin.ExpectSame(ops);
    }
  }
}

}  // namespace
}  // namespace tamrel::testing
