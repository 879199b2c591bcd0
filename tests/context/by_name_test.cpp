// The members by name: each member reached through Get/Let/Call leaves a
// context exactly as its typed call does, and unknown names, wrong counts and
// wrong kinds fail with the run-time's errors before the member runs.
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "automation/application_title.hpp"
#include "automation/error_number.hpp"
#include "context/state_of.hpp"
#include "support/observation.hpp"
#include "support/recording_host.hpp"
#include "support/replace_all.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using testing::HostCallsText;
using testing::RecordingHost;
using testing::ReplaceAll;
using testing::StoreText;
using testing::TempDir;
using Args = std::vector<Variant>;
namespace fs = std::filesystem;

// A context with everything a member can touch, in its own folder.
struct Side {
  Side() {
    detail::SetApplicationTitle("Tamrel");
    dir.WriteFile("ctx.tmc", "<context><Loaded id=\"One\" instance=\"1\">v</Loaded>\r\n</context>");
    for (const char* name : {"cycle.txt", "cycle(1).txt", "cycle(2).txt"})
      dir.WriteFile(name, name);
    c->SetApplicationContext(host);
    c->name("Calib");
    // Four values: a fifth shows whether Add's default limit of four applied.
    for (int value : {110, 120, 130, 140}) c->Add("Win", "Left", Variant(int16_t(value)));
    c->Add("View", "110", Variant("linked to the oldest Win value"));
    c->Add("Flag", "On", Variant(true));
    c->Add("Win", "Width", Variant("wide"));  // so that an Id left out shows
    target->SetApplicationContext(host);
    target->Add("Win", "Top", Variant("5"));
    left->Text("150");
    on->Value(CheckBox::kChecked);
    cln->Add("Win.Left", Variant("99"));
    host->ClearCalls();
  }
  platform::Hooks Hooks() {
    platform::Hooks hooks;
    hooks.special_folder = [this](int32_t) { return dir.path().string(); };
    hooks.windows_folder = hooks.library_folder = [this] { return dir.path().string(); };
    hooks.is_folder_writeable = [](const std::string&, bool) { return true; };
    return hooks;
  }

  TempDir dir;
  std::shared_ptr<RecordingHost> host = RecordingHost::Make(), other_host = RecordingHost::Make();
  std::shared_ptr<ContextCls> c = std::make_shared<ContextCls>(),
                              target = std::make_shared<ContextCls>();
  std::shared_ptr<Object> titled = std::make_shared<testing::TitledApplication>(Variant("Plant"));
  std::shared_ptr<Dictionary> cln = std::make_shared<Dictionary>();
  std::shared_ptr<StandardForm> form = std::make_shared<StandardForm>();
  std::shared_ptr<TextBox> left = form->Add<TextBox>("id=Left");
  std::shared_ptr<CheckBox> on = form->Add<CheckBox>("id=On");
  std::shared_ptr<FileSystemObject> fso = std::make_shared<FileSystemObject>();
  Args by_ref;  // the typed call's by-reference arguments after the call
  platform::Scope scope{Hooks()};
};

// Everything observable about a side after a call, with its folder as "<dir>".
std::string Observe(Side& s, const Variant& result, const Args& by_ref) {
  std::string text;
  auto describe = [&](const Variant& value) -> std::string {
    if (value.IsArray()) return "an array";
    if (!value.IsObject()) return TypeName(value) + " " + ConcatText(value);
    const ObjectRef& object = value.AsObject();
    if (object == s.c) return "the context";
    if (auto other = std::dynamic_pointer_cast<ContextCls>(object)) {
      return (other == s.target ? "the target\n" : "another context\n") + StoreText(*other);
    }
    return object == nullptr ? "Nothing" : object->TypeName();
  };
  text += "result " + describe(result) + "\n";
  for (const Variant& value : by_ref) text += "by-ref " + describe(value) + "\n";
  const detail::ContextState& state = detail::StateOf(*s.c);
  text += s.c->name() + " " + s.c->SaveLocation() + " " + (s.c->changed() ? "changed" : "") + " " +
          ApplicationTitle() + (state.host_app == s.other_host ? " host2\n" : "\n");
  text += StoreText(*s.c) + "target\n" + StoreText(*s.target);
  if (state.has_current_item) text += "reading " + state.current_item.Tag + state.current_item.Id;
  text += "\n" + HostCallsText(*s.host);
  for (const std::string& key : s.cln->Keys())
    text += "\ncln " + key + "=" + CStr(s.cln->Item(key));
  text += "\nform " + s.left->Text() + " " + std::to_string(s.on->Value());
  std::set<std::string> unordered;  // cursors and files, whose order means nothing
  for (const auto& [key, position] : state.cursors)
    unordered.insert("cursor " + key + "=" + std::to_string(position));
  // A backup copy's name marks its file's full path, which differs by side.
  const std::regex path_mark("-[0-9a-f]{16}\\.");
  for (const auto& entry : fs::recursive_directory_iterator(s.dir.path())) {
    std::string file =
        "file " + std::regex_replace(fs::relative(entry.path(), s.dir.path()).string(), path_mark,
                                     "-<mark>.");
    if (entry.is_regular_file()) file += " " + TempDir::ReadFile(entry.path().string());
    unordered.insert(std::move(file));
  }
  for (const std::string& line : unordered) text += "\n" + line;
  return ReplaceAll(std::move(text), s.dir.path().string(), "<dir>");
}

enum class Access { kGet, kLet, kCall };
constexpr Access kGet = Access::kGet, kLet = Access::kLet, kCall = Access::kCall;

// One member call on a side, typed and by name; `by_ref` gives the positions
// of the by-name arguments that the typed call hands back in Side::by_ref.
struct Row {
  Access access;
  std::string member;
  std::function<Variant()> typed;
  Args args;
  std::vector<std::size_t> by_ref = {};
};

// A typed call; members without a result give Empty.
template <class F>
std::function<Variant()> Typed(F call) {
  return [call]() -> Variant {
    if constexpr (std::is_void_v<std::invoke_result_t<F>>)
      return call(), Variant();
    else
      return Variant(call());
  };
}
#define TYPED(call) Typed([&s, numbers] { return call; })

Variant Obj(ObjectRef object) { return Variant(std::move(object)); }

// clang-format off
std::vector<Row> Rows(Side& s) {
  const VariantArray numbers({int16_t{3}, 1.5, int16_t{2}});
  return {
    {kCall, "getapplicationconfiglocation", TYPED(s.c->GetApplicationConfigLocation()), {}},
    {kLet, "Appl", TYPED(s.c->Appl(s.titled)), {Obj(s.titled)}},
    {kLet, "NAME", TYPED(s.c->name("Setup")), {"Setup"}},
    {kGet, "name", TYPED(s.c->name()), {}},
    {kGet, "savelocation", TYPED(s.c->SaveLocation()), {}},
    {kLet, "SetApplicationContext", TYPED(s.c->SetApplicationContext(s.other_host)),
     {Obj(s.other_host)}},
    {kGet, "Changed", TYPED(s.c->changed()), {}},
    {kCall, "dump", TYPED(s.c->Dump()), {}},
    // Every argument given, numbers as text; then the defaults.
    {kCall, "add", TYPED(s.c->Add("Win", "Left", int32_t{140}, 2, "'View")),
     {"Win", "Left", int32_t{140}, "2", "'View"}},
    {kCall, "Add", TYPED(s.c->Add("Win", "Left", 1.5)), {"Win", "Left", 1.5}},
    {kLet, "value", TYPED(s.c->Value("Win", "Top", int16_t{7})), {"Win", "Top", int16_t{7}}},
    {kCall, "Remove", TYPED(s.c->Remove("Win", "Left", "120")), {"Win", "Left", "120"}},
    {kCall, "CLEAR", TYPED(s.c->Clear()), {}},
    {kCall, "MoveFirst", TYPED(s.c->MoveFirst("Win", "Left")), {"Win", "Left"}},
    {kCall, "exists", TYPED(s.c->Exists("Win", "Left")), {"Win", "Left"}},
    {kCall, "Verify", TYPED(s.c->Verify("Flag", "Off", false)), {"Flag", "Off", false}},
    {kCall, "Clone", Typed([&s] {
       std::shared_ptr<ContextCls> clone;
       s.c->Clone(clone);
       s.by_ref = {ObjectRef(clone)}; }), {Obj(nullptr)}, {0}},
    {kCall, "Copy", TYPED(s.c->Copy(s.target, "Win")), {Obj(s.target), "Win"}},
    {kCall, "CloneAdd", TYPED(s.c->CloneAdd("Win", "Left", "x", 7)), {"Win", "Left", "x", "7"}},
    {kCall, "eof", TYPED(s.c->Eof("Win", "Left")), {"Win", "Left"}},
    {kCall, "Read", TYPED(s.c->Read("Win", "Left")), {"Win", "Left"}},
    {kCall, "item", TYPED(s.c->Item("Win", "Left", 2)), {"Win", "Left", 2.0}},
    {kGet, "Value", TYPED(s.c->Value("Win", "Left")), {"Win", "Left"}},
    {kCall, "movenext", TYPED(s.c->MoveNext("Win", "Left")), {"Win", "Left"}},
    {kGet, "count", TYPED(s.c->Count("Win", "Left")), {"Win", "Left"}},
    {kCall, "Load", TYPED(s.c->Load(s.dir.Path("ctx.tmc"))), {s.dir.Path("ctx.tmc")}},
    {kCall, "save", TYPED(s.c->Save(s.dir.Path("out.tmc"))), {s.dir.Path("out.tmc")}},
    {kCall, "LOG", TYPED(s.c->log("Win")), {"Win"}},
    {kCall, "ProcessXML", TYPED(s.c->ProcessXML(0, "Win")), {int32_t{0}, "Win"}},
    {kCall, "ExtractTagsFromForm", TYPED(s.c->ExtractTagsFromForm("Win", *s.form)),
     {"Win", Obj(s.form)}},
    {kCall, "extracttagsfromformtocollection", Typed([&s] {
       bool changed = false;
       s.c->ExtractTagsFromFormToCollection("Win", *s.form, *s.cln, changed);
       s.by_ref = {changed}; }), {"Win", Obj(s.form), Obj(s.cln), false}, {3}},
    {kCall, "setScrDictionaryVal", Typed([&s] {
       bool changed = false;
       s.c->setScrDictionaryVal(*s.cln, "Win.Left", Variant("150"), changed);
       s.by_ref = {changed}; }), {Obj(s.cln), "Win.Left", "150", false}, {3}},
    {kCall, "BuildFromCollection", TYPED(s.c->BuildFromCollection("Win", *s.cln)),
     {"Win", Obj(s.cln)}},
    {kCall, "populateformfromtags", TYPED(s.c->PopulateFormFromTags("Win", *s.form, *s.cln)),
     {"Win", Obj(s.form), Obj(s.cln)}},
    {kCall, "RenameAsNextFileCycle", TYPED(s.c->RenameAsNextFileCycle(s.dir.Path("cycle.txt"), 2)),
     {s.dir.Path("cycle.txt"), 2.0}},
    {kCall, "isboolean", TYPED(s.c->isBoolean("true")), {"true"}},
    {kCall, "isBadBoolean", TYPED(s.c->isBadBoolean("Wahr")), {"Wahr"}},
    {kCall, "cboolstr", TYPED(s.c->cBoolStr(int16_t{1})), {int16_t{1}}},
    {kCall, "MIN", TYPED(s.c->min(numbers)), {numbers}},
    {kCall, "makefolder", TYPED(s.c->MakeFolder(*s.fso, s.dir.Path("a/b"))),
     {Obj(s.fso), s.dir.Path("a/b")}},
    {kCall, "wait", TYPED(s.c->Wait(0.01f)), {0.01}},
    {kCall, "mycbool", TYPED(s.c->MYcBool("FALSE")), {"FALSE"}},
    {kCall, "GetUserPreferences", TYPED(s.c->GetUserPreferences("Plant")), {"Plant"}},
  };
}
// clang-format on

bool IsAssignment(const MemberInfo& info) {
  return info.kind == MemberKind::PropertyLet || info.kind == MemberKind::PropertySet;
}

Variant ByName(ContextCls& context, Access access, const std::string& member, Args& args) {
  if (access == kGet) return context.Get(member, args);
  if (access == kCall) return context.Call(member, args);
  context.Let(member, args.back(), Args(args.begin(), args.end() - 1));
  return Variant();
}

TEST(ByName, EveryMemberByNameMatchesItsTypedCallAndEveryMemberHasARow) {
  const std::vector<MemberInfo>& members = ContextCls::Members();
  std::set<int> reached;
  for (std::size_t i = 0, count = 1; i < count; ++i) {
    std::string typed;
    {
      Side side;
      const std::vector<Row> rows = Rows(side);
      count = rows.size();
      typed = Observe(side, rows[i].typed(), side.by_ref);
    }
    Side side;
    Row row = Rows(side)[i];
    SCOPED_TRACE(row.member);
    const Variant result = ByName(*side.c, row.access, row.member, row.args);
    Args by_ref;
    for (std::size_t position : row.by_ref) by_ref.push_back(row.args[position]);
    EXPECT_EQ(Observe(side, result, by_ref), typed);
    for (const MemberInfo& info : members) {
      if (SameName(info.name, row.member) && IsAssignment(info) == (row.access == kLet)) {
        reached.insert(info.slot);
      }
    }
  }
  ASSERT_EQ(members.size(), 42u);
  EXPECT_EQ(reached.size(), members.size());
}

TEST(ByName, WrongArgumentCountsRaise450ForEveryMember) {
  ContextCls context;
  for (const MemberInfo& info : ContextCls::Members()) {
    std::size_t required = 0;
    for (const MemberParam& param : info.params) required += param.optional ? 0 : 1;
    std::vector<std::size_t> counts = {info.params.size() + 1};
    // A Let always carries its value, so it cannot be made with none.
    if (required > (IsAssignment(info) ? 1u : 0u)) counts.push_back(required - 1);
    for (std::size_t count : counts) {
      Args args(count);
      const Access access = IsAssignment(info) ? kLet : kCall;
      EXPECT_EQ(ErrorNumberOf([&] { ByName(context, access, info.name, args); }),
                errc::kWrongArgumentCount)
          << info.name << " " << count;
    }
  }
}

TEST(ByName, BadNamesAndArgumentsFailBeforeTheMemberRuns) {
  auto host = RecordingHost::Make();
  const struct {
    Access access;
    std::string member;
    Args args;
    int32_t error;
  } cases[] = {
      {kCall, "Frobnicate", {}, errc::kNoSuchMember},
      {kLet, "SaveLocation", {"x"}, errc::kNoSuchMember},
      {kCall, "Add", {"T", "I", "v", "four"}, errc::kTypeMismatch},
      {kCall, "ExtractTagsFromForm", {"T", "form"}, errc::kObjectRequired},
      {kCall, "BuildFromCollection", {"T", Variant(ObjectRef())}, errc::kObjectNotSet},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.member);
    ContextCls context;
    context.SetApplicationContext(host);
    host->ClearCalls();
    EXPECT_EQ(ErrorNumberOf([&] { ByName(context, c.access, c.member, c.args); }), c.error);
    EXPECT_TRUE(host->calls().empty());
    EXPECT_TRUE(Records(context).empty());
  }
}

}  // namespace
}  // namespace tamrel
