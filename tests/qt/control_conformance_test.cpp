// Each widget control against the standard control of its type: the same
// calls by name, in the same order, must give the same values and the same
// errors (number and description). Random call sequences, good and bad
// alike, each followed by reading the whole state, look for any difference.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QWidget>
#include <functional>
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

Twin Make(ObjectRef standard, QWidget* widget) {
  return Twin{std::move(standard), qt::WidgetControl(*widget)};
}

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

// Random calls by name on the controls without an item list: text boxes of
// one and of several lines, check boxes, labels, and two option buttons of
// one group (by their parent, or by a QButtonGroup) driven in turns. Each call is followed by
// reading every property of every control; a failure prints the seed and the calls so far.
TEST(ControlConformanceTest, RandomCallsOnTheOtherControlsAgree) {
  const Variant values[] = {Variant("Plant 7"),
                            Variant("one\r\n\r\nthree\r\n"),
                            Variant("\r\n"),
                            Variant("tab\there, ümlaut"),
                            Variant("&Bold"),
                            Variant("no\u00a0break\u2028line"),
                            Variant("1"),
                            Variant("x"),
                            Variant("True"),
                            Variant(int16_t{2}),
                            Variant(int16_t{3}),
                            Variant(-1),
                            Variant(int32_t{70000}),
                            Variant(true),
                            Variant(false),
                            Variant::Null()};
  const char* names[] = {"Text", "Value", "Caption", "MultiLine", "text", "CAPTION"};
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](std::size_t below) { return random() % below; };
    QWidget root;        // a group of its own for the option buttons
    StandardForm group;  // and its standard twin
    // Text boxes of one and of several lines, a check box, a label, two
    // option buttons: each seed drives one of these.
    const std::function<std::vector<Twin>()> kinds[] = {
        [&] { return std::vector{Make(std::make_shared<TextBox>(false), new QLineEdit(&root))}; },
        [&] {
          return std::vector{Make(std::make_shared<TextBox>(true), new QPlainTextEdit(&root))};
        },
        [&] { return std::vector{Make(std::make_shared<CheckBox>(), new QCheckBox(&root))}; },
        [&] { return std::vector{Make(std::make_shared<Label>(), new QLabel(&root))}; },
        [&] {
          return std::vector{Make(group.Add<OptionButton>(""), new QRadioButton(&root)),
                             Make(group.Add<OptionButton>(""), new QRadioButton(&root))};
        },
        [&] {  // made one group by a QButtonGroup, as a form may do
          auto* buttons = new QButtonGroup(&root);
          std::vector<Twin> twins;
          for (int i = 0; i < 2; ++i) {
            auto* button = new QRadioButton(&root);
            buttons->addButton(button);
            twins.push_back(Make(group.Add<OptionButton>(""), button));
          }
          return twins;
        }};
    const std::vector<Twin> twins = kinds[seed % std::size(kinds)]();
    SCOPED_TRACE("seed " + std::to_string(seed));
    if (seed <= 5) twins.front().ExpectSame(kCommonOps);
    if (twins.size() == 2) {  // a stored "False" clears the only checked button of a group
      twins[0].ExpectSame({Let("Value", Variant(true)), Let("Value", Variant("False"))});
      twins[1].ExpectSame({Get("Value")});
      twins[0].ExpectSame({Get("Value")});
    }
    std::string history;  // the calls so far, shown with a failure
    for (int step = 0; step < 30 && !HasFailure(); ++step) {
      const std::size_t which = pick(twins.size());
      const std::string name = names[pick(std::size(names))];
      std::vector<Variant> indices;
      if (pick(5) == 0) indices.push_back(Variant(0));
      Op op = Let(name, values[pick(std::size(values))], indices);
      if (pick(3) == 0) op = Get(name, indices);
      if (pick(20) == 0) op = Call("AddItem", {Variant("x")});
      history += std::to_string(which) + ": " + Describe(op) + "; ";
      SCOPED_TRACE(history);
      twins[which].ExpectSame({op});
      for (const Twin& twin : twins) {
        twin.ExpectSame({Get("Text"), Get("Value"), Get("Caption"), Get("MultiLine")});
      }
    }
  }
}

// Calls on an item list that are wrong whatever its items: argument counts,
// indices of plain properties, read-only and design-time properties.
const std::vector<Op> kOddListCalls = {
    Call("AddItem", {}),
    Call("AddItem", {Variant("D"), Variant(0), Variant(0)}),
    Call("additem", {Variant(int32_t{7}), Variant("1")}),
    Let("ListCount", Variant(1)),
    Get("ListCount", {Variant(0)}),
    Get("List"),
    Get("List", {Variant("x")}),
    Get("List", {Variant(0), Variant(1)}),
    Let("List", Variant("Z")),
    Let("ListIndex", Variant(1), {Variant(0)}),
    Get("Selected"),
    Get("Style"),
    Let("Style", Variant(int16_t{0})),
    Get("MultiSelect"),
    Let("MultiSelect", Variant(int16_t{1})),
    Let("Text", Variant("A")),
};

// Random calls by name on item lists of every kind (combo boxes of both
// styles, list boxes of every selection mode), good and bad indices and
// values alike, each followed by reading the whole state: the current item,
// the text and every item's text, data and selection. A failure prints the
// seed and the calls so far.
TEST(ControlConformanceTest, RandomCallsOnItemListsAgree) {
  const Variant values[] = {Variant("A"),  Variant("B"),   Variant(""),
                            Variant("-7"), Variant("x"),   Variant(int32_t{42}),
                            Variant(true), Variant(false), Variant::Null()};
  const QAbstractItemView::SelectionMode modes[] = {QAbstractItemView::SingleSelection,
                                                    QAbstractItemView::MultiSelection,
                                                    QAbstractItemView::ExtendedSelection};
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](std::size_t below) { return random() % below; };
    // 0, 1: combo box styles 0, 2; 2-4: list boxes of selection modes 0-2.
    const int32_t kind = static_cast<int32_t>(seed % 5);
    QWidget root;
    Twin twin;
    if (kind < 2) {
      auto* combo = new QComboBox(&root);
      combo->setEditable(kind == 0);
      twin = Make(std::make_shared<ComboBox>(kind == 0 ? ComboBox::kDropDownCombo
                                                       : ComboBox::kDropDownList),
                  combo);
    } else {
      auto* list = new QListWidget(&root);
      list->setSelectionMode(modes[kind - 2]);
      twin = Make(std::make_shared<ListBox>(static_cast<int16_t>(kind - 2)), list);
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", kind " + std::to_string(kind));
    if (seed <= 5) twin.ExpectSame(kCommonOps);
    std::string history;  // the calls so far, shown with a failure
    for (int step = 0; step < 40 && !HasFailure(); ++step) {
      const int32_t count = CLng(twin.standard->Get("ListCount"));
      const Variant index(static_cast<int32_t>(pick(static_cast<std::size_t>(count) + 4)) - 2);
      const Variant value = values[pick(std::size(values))];
      const Variant text = values[pick(3)];
      Op op;
      switch (pick(8)) {
        case 0:
          op = Call("AddItem", {text});
          break;
        case 1:
          op = Call("AddItem", {value, index});
          break;
        case 2:
          op = Let("ListIndex", pick(4) == 0 ? value : index);
          break;
        case 3:
          op = kind < 2 ? Let("Text", value) : Let("Selected", value, {index});
          break;
        case 4:
          // Renaming a combo box's current item is where the kinds part: the
          // widget shows the new name, the standard control keeps its text.
          if (kind < 2 && index == twin.standard->Get("ListIndex")) continue;
          op = Let("List", value, {index});
          break;
        case 5:
          op = Let("ItemData", value, {index});
          break;
        case 6:
          op = Get(pick(2) == 0 ? "List" : "ItemData", {index});
          break;
        default:
          op = kOddListCalls[pick(kOddListCalls.size())];
      }
      history += Describe(op) + "; ";
      SCOPED_TRACE(history);
      std::vector<Op> ops = {op, Get("ListCount"), Get("ListIndex"), Get("Text")};
      for (int32_t i = 0; i <= count; ++i) {
        for (const char* name : {"List", "ItemData", "Selected"}) {
          ops.push_back(Get(name, {Variant(i)}));
        }
      }
      twin.ExpectSame(ops);
    }
  }
}

}  // namespace
}  // namespace tamrel::testing
