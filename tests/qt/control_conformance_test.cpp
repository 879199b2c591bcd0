// Every kit's controls against the standard controls: the same calls by
// name, in the same order, must give the same values and the same errors
// (number and description). One table of control cases and one driver: each
// case's controls are made by every kit of FormKinds(); fixed calls, then
// random ones, good and bad alike, each followed by reading every control's
// whole state, look for any difference from the first kit's.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "forms/form_kit.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::testing {
namespace {

// One call by name. `args` are the index of a property or, for kCall, the
// arguments.
struct Op {
  enum Kind { kGet, kLet, kCall } kind;
  std::string name;
  std::vector<Variant> args;
  Variant value;
};

template <class... Args>
Op Get(std::string name, Args... args) {
  return {Op::kGet, std::move(name), {Variant(args)...}, Variant()};
}
template <class... Args>
Op Let(std::string name, Variant value, Args... args) {
  return {Op::kLet, std::move(name), {Variant(args)...}, std::move(value)};
}
template <class... Args>
Op Call(std::string name, Args... args) {
  return {Op::kCall, std::move(name), {Variant(args)...}, Variant()};
}

std::string Text(const Variant& value) { return value.IsNull() ? "Null" : CStr(value); }

std::string Describe(const Op& op) {
  std::string text = op.kind == Op::kGet ? "Get " : op.kind == Op::kLet ? "Let " : "Call ";
  text += op.name + "(";
  for (const Variant& arg : op.args) text += Text(arg) + ",";
  return text + ")" + (op.kind == Op::kLet ? " = " + Text(op.value) : "");
}

// What a call gave: its value with the value's kind, or its error.
std::string Outcome(Object& control, const Op& op) {
  try {
    std::vector<Variant> args = op.args;
    if (op.kind == Op::kLet) control.Let(op.name, op.value, args);
    const Variant result = op.kind == Op::kGet    ? control.Get(op.name, args)
                           : op.kind == Op::kCall ? control.Call(op.name, args)
                                                  : Variant();
    return TypeName(result) + " " + CStr(result);
  } catch (const Error& error) {
    return "error " + std::to_string(error.number()) + " " + error.description();
  }
}

// The number of items of an item list, -1 for another control.
int32_t ItemCount(Object& control) {
  try {
    return CLng(control.Get("ListCount"));
  } catch (const Error&) {
    return -1;
  }
}

// A control's whole state: its plain properties, then every item's, one
// past the last included.
std::string State(Object& control) {
  std::vector<Op> reads;
  for (const char* name : {"Text", "Value", "Caption", "MultiLine", "ListCount", "ListIndex"})
    reads.push_back(Get(name));
  for (int32_t i = 0; i <= ItemCount(control); ++i) {
    for (const char* name : {"List", "ItemData", "Selected"}) reads.push_back(Get(name, i));
  }
  std::string state;
  for (const Op& read : reads) state += Describe(read) + ": " + Outcome(control, read) + "\n";
  return state;
}

using Controls = std::vector<ObjectRef>;

// The control cases: each kit makes the same controls of one case.
const std::function<Controls(FormKit&)> kCases[] = {
    [](FormKit& kit) { return Controls{kit.TextBox("")}; },
    [](FormKit& kit) { return Controls{kit.TextBox("", true)}; },
    [](FormKit& kit) { return Controls{kit.CheckBox("")}; },
    [](FormKit& kit) { return Controls{kit.Label("")}; },
    [](FormKit& kit) {
      return Controls{kit.OptionButton(""), kit.OptionButton("")};
    },
    [](FormKit& kit) { return Controls{kit.ComboBox("")}; },
    [](FormKit& kit) { return Controls{kit.ComboBox("", ComboBox::kDropDownList)}; },
    [](FormKit& kit) { return Controls{kit.ListBox("")}; },
    [](FormKit& kit) { return Controls{kit.ListBox("", ListBox::kSimpleMultiSelect)}; },
    [](FormKit& kit) { return Controls{kit.ListBox("", ListBox::kExtendedMultiSelect)}; }};

// The names and values of the random calls, for controls without items and
// for item lists. Item texts are the first three of a list's values: few, so
// that texts meet items often.
struct Vocabulary {
  std::vector<std::string> names;
  std::vector<Variant> values;
};
const Vocabulary kPlain = {
    {"Text", "Value", "Caption", "MultiLine", "text", "CAPTION", "AddItem"},
    {Variant("Plant 7"), Variant("one\r\n\r\nthree\r\n"), Variant("\r\n"),
     Variant("tab\there, ümlaut"), Variant("&Bold"), Variant("no\u00a0break\u2028line"),
     Variant("1"), Variant("True"), Variant(int16_t{2}), Variant(int16_t{3}), Variant(-1),
     Variant(int32_t{70000}), Variant(true), Variant(false), Variant::Null()}};
const Vocabulary kItemList = {
    {"AddItem", "ListIndex", "Text", "Selected", "List", "ItemData"},
    {Variant("A"), Variant("B"), Variant(""), Variant("-7"), Variant(int32_t{42}), Variant(true),
     Variant(false), Variant::Null()}};

// Calls made first on each case's first control: Tag, BackColor and unknown
// names, which every control answers alike; argument counts, indices of plain
// properties, read-only and design-time properties; and a stored "False" on
// the only checked button of a group, which clears it.
// One line a topic.
// clang-format off
const std::vector<Op> kFixedOps = {
    Get("Tag"), Let("tag", "id=Size; prop=List"), Get("TAG"), Get("Tag", 0), Let("Tag", Variant::Null()),
    Get("BackColor"), Let("BackColor", 0x123456), Get("backcolor"), Let("BackColor", ""),
    Let("BackColor", 0x01000000),
    Let("BackColor", -1), Let("BackColor", static_cast<int32_t>(0x80000019u)),
    Let("BackColor", static_cast<int32_t>(0x80000008u)), Get("BackColor"),
    Let("BackColor", "255"), Get("BackColor"),
    Get("Nonsense"), Let("Nonsense", 1), Call("Nonsense"), Get("Caption", 1),
    Call("AddItem"), Call("AddItem", "D", 0, 0), Call("additem", 7, "1"), Let("ListCount", 1),
    Get("List"), Get("List", "x"), Get("List", 0, 1), Let("List", "Z"), Let("ListIndex", 1, 0),
    Get("Selected"), Get("Style"), Let("Style", int16_t{0}), Get("MultiSelect"),
    Let("MultiSelect", int16_t{1}),
    Let("Value", true), Let("Value", "False")};
// clang-format on

// A random call of the control's vocabulary: a Get or Let, or an AddItem
// (mostly of an item text), with an index from just below the first item to
// just past the last where the property has items (and now and then where it
// has none); half the values set are such an index.
Op RandomOp(std::mt19937& random, Object& control) {
  auto pick = [&](std::size_t below) { return random() % below; };
  const int32_t count = std::max(ItemCount(control), 0);
  const Vocabulary& words = ItemCount(control) < 0 ? kPlain : kItemList;
  const std::string name = words.names[pick(words.names.size())];
  const Variant index(static_cast<int32_t>(pick(static_cast<std::size_t>(count) + 4)) - 2);
  const Variant value = pick(2) == 0 ? index : words.values[pick(words.values.size())];
  std::vector<Variant> args;
  const bool indexed = name == "List" || name == "ItemData" || name == "Selected";
  if (indexed || pick(name == "AddItem" ? 2 : 5) == 0) args.push_back(index);
  if (name == "AddItem") {
    args.insert(args.begin(), pick(4) == 0 ? value : words.values[pick(3)]);
    return {Op::kCall, name, args, Variant()};
  }
  return pick(3) == 0 ? Op{Op::kGet, name, args, Variant()} : Op{Op::kLet, name, args, value};
}

// Renaming a combo box's current item is where the kits part: a widget shows
// the new name, the standard control keeps its text.
bool RenamesCurrentComboItem(Object& control, const Op& op) {
  return control.TypeName() == "ComboBox" && op.kind == Op::kLet && op.name == "List" &&
         op.args.size() == 1 && op.args[0] == control.Get("ListIndex");
}

TEST(ControlConformanceTest, CallsByNameGiveWhatTheStandardControlsGive) {
  const std::vector<FormKind> kinds = FormKinds();
  ASSERT_GE(kinds.size(), 2u) << "nothing to compare the standard controls with";
  for (uint32_t seed = 1; seed <= 400 && !::testing::Test::HasFailure(); ++seed) {
    std::vector<std::unique_ptr<FormKit>> kits;
    std::vector<Controls> controls;  // each kit's, made alike
    for (const FormKind& kind : kinds) {
      kits.push_back(kind.make());
      controls.push_back(kCases[seed % std::size(kCases)](*kits.back()));
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + controls[0][0]->TypeName());
    const std::size_t fixed = seed <= std::size(kCases) ? kFixedOps.size() : 0;
    std::mt19937 random(seed);
    std::string history;  // the calls so far, shown with a failure
    for (std::size_t step = 0; step < fixed + 40 && !::testing::Test::HasFailure(); ++step) {
      const std::size_t which = step < fixed ? 0 : random() % controls[0].size();
      Object& standard = *controls[0][which];
      const Op op = step < fixed ? kFixedOps[step] : RandomOp(random, standard);
      if (RenamesCurrentComboItem(standard, op)) continue;
      history += std::to_string(which) + ": " + Describe(op) + "; ";
      std::vector<std::string> seen;  // each kit's outcome and state
      for (const Controls& kit_controls : controls) {
        seen.push_back(Outcome(*kit_controls[which], op) + "\n");
        for (const ObjectRef& control : kit_controls) seen.back() += State(*control);
      }
      for (std::size_t k = 1; k < kinds.size(); ++k)
        EXPECT_EQ(seen[k], seen[0]) << kinds[k].name << " after " << history;
    }
  }
}

}  // namespace
}  // namespace tamrel::testing
