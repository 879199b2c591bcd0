// The members by name: every member reached through Get/Let/Call behaves as
// its typed call does, arguments are coerced as the automation run-time
// coerces them, and unknown names, wrong counts and wrong kinds fail with
// the run-time's errors.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "context/application_title.hpp"
#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

using testing::HostCall;
using testing::RecordingHost;
using testing::TempDir;
namespace fs = std::filesystem;

// Any object with a readable title, as Appl takes one.
class Titled : public Object {
 public:
  std::string TypeName() const override { return "Titled"; }
  Variant Get(const std::string& member, const std::vector<Variant>& indices) override {
    if (SameName(member, "title") && indices.empty()) return "Plant";
    NoSuchMember(member);
  }
};

// One side of a comparison: a context with everything a member can touch,
// all built the same way, and its own folder tree.
struct Side {
  Side() {
    fs::create_directories(dir.path() / "appdata");
    fs::create_directories(dir.path() / "win");
    dir.WriteFile("ctx.tmc", "<context><Loaded id=\"One\" instance=\"1\">v</Loaded>\r\n</context>");
    dir.WriteFile("cycle.txt", "old generation");
    context->SetApplicationContext(host);
    context->name("Calib");
    // Four values: a fifth shows whether Add's default limit of four applied.
    for (int value : {110, 120, 130, 140}) {
      context->Add("Win", "Left", Variant(static_cast<int16_t>(value)));
    }
    context->Add("Recent", "File", Variant("a.txt"));
    context->Add("Flag", "On", Variant(true));
    target->SetApplicationContext(host);
    target->Add("Win", "Top", Variant("5"));
    target->Add("Keep", "Me", Variant("k"));
    left->Text("150");
    on->Value(CheckBox::kChecked);
    cln->Add("Win.Left", Variant("99"));
    host->ClearCalls();
  }

  platform::Hooks Hooks() {
    platform::Hooks hooks;
    hooks.special_folder = [this](int32_t) { return dir.Path("appdata"); };
    hooks.windows_folder = [this] { return dir.Path("win"); };
    hooks.library_folder = [this] { return dir.path().string(); };
    hooks.is_folder_writeable = [](const std::string&, bool) { return true; };
    hooks.browse_for_folder = [](int32_t, const std::string&, std::string&) { return false; };
    hooks.message_box = [this](const std::string& prompt, int16_t style, const std::string&) {
      boxes.push_back(prompt + "|" + std::to_string(style));
      return Variant(int16_t{1});
    };
    return hooks;
  }

  std::string Path(const std::string& name) const { return dir.Path(name); }

  TempDir dir;
  std::shared_ptr<RecordingHost> host = RecordingHost::Make();
  std::shared_ptr<RecordingHost> other_host = RecordingHost::Make();
  std::shared_ptr<ContextCls> context = std::make_shared<ContextCls>();
  std::shared_ptr<ContextCls> target = std::make_shared<ContextCls>();
  std::shared_ptr<Titled> titled = std::make_shared<Titled>();
  std::shared_ptr<Dictionary> cln = std::make_shared<Dictionary>();
  std::shared_ptr<StandardForm> form = std::make_shared<StandardForm>();
  std::shared_ptr<TextBox> left = form->Add<TextBox>("id=Left");
  std::shared_ptr<CheckBox> on = form->Add<CheckBox>("id=On");
  std::shared_ptr<FileSystemObject> fso = std::make_shared<FileSystemObject>();
  std::vector<std::string> boxes;
};

// Everything observable about a side after a call, as text, with the side's
// own folder written as "<dir>" so that two sides compare equal.
class Observer {
 public:
  explicit Observer(Side& side) : side_(side) {}

  std::vector<std::string> Observe(const Variant& result, const std::vector<Variant>& by_ref) {
    Line("result " + Describe(result));
    for (const Variant& value : by_ref) Line("by-ref " + Describe(value));
    Line("name " + side_.context->name());
    Line("save location " + side_.context->SaveLocation());
    Line(std::string("changed ") + (side_.context->changed() ? "yes" : "no"));
    Line("title " + ApplicationTitle());
    const auto& host = detail::StateOf(*side_.context).host_app;
    Line(std::string("host ") + (host == side_.host         ? "first"
                                 : host == side_.other_host ? "other"
                                                            : "?"));
    Store("items", *side_.context);
    Store("target items", *side_.target);
    Cursors();
    const auto& pending = detail::StateOf(*side_.context).current_item;
    if (pending) Line("record being read " + pending->Tag + "|" + pending->Id);
    for (const HostCall& call : side_.host->calls()) {
      std::string text = "host call " + call.op + " #" + std::to_string(call.error.number);
      for (const std::string& arg : call.args) text += " [" + arg + "]";
      Line(text);
    }
    for (const std::string& key : side_.cln->Keys())
      Line("cln " + key + "=" + CStr(side_.cln->Item(key)));
    Line("form " + side_.left->Text() + " " + std::to_string(side_.on->Value()));
    for (const std::string& box : side_.boxes) Line("box " + box);
    Files();
    return lines_;
  }

 private:
  void Line(std::string text) {
    const std::string dir = side_.dir.path().string();
    for (auto at = text.find(dir); at != std::string::npos; at = text.find(dir, at)) {
      text.replace(at, dir.size(), "<dir>");
    }
    lines_.push_back(std::move(text));
  }

  std::string Describe(const Variant& value) {
    if (value.IsObject()) {
      const ObjectRef& object = value.AsObject();
      if (object == side_.context) return "the context";
      if (object == side_.target) return "the target";
      auto other = std::dynamic_pointer_cast<ContextCls>(object);
      if (other != nullptr) {
        Store("another context's items", *other);
        return "another context";
      }
      return object == nullptr ? "Nothing" : "object " + object->TypeName();
    }
    if (value.IsArray()) return "an array";
    return TypeName(value) + " " + ConcatText(value);
  }

  void Store(const std::string& label, ContextCls& context) {
    detail::StateOf(context).items.ForEach([&](const detail::ContextItem& item) {
      Line(label + " " + item.Tag + "|" + item.Id + "|" + std::to_string(item.Instance) + "|" +
           item.Value + "|" + item.Key);
    });
  }

  void Cursors() {
    std::vector<std::string> cursors;
    for (const auto& [key, position] : detail::StateOf(*side_.context).cursors) {
      cursors.push_back("cursor " + key + "=" + std::to_string(position));
    }
    std::sort(cursors.begin(), cursors.end());
    for (std::string& cursor : cursors) Line(std::move(cursor));
  }

  void Files() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(side_.dir.path())) {
      std::string text = "file " + fs::relative(entry.path(), side_.dir.path()).string();
      if (entry.is_regular_file()) text += " " + TempDir::ReadFile(entry.path().string());
      files.push_back(std::move(text));
    }
    std::sort(files.begin(), files.end());
    for (std::string& file : files) Line(std::move(file));
  }

  Side& side_;
  std::vector<std::string> lines_;
};

enum class Access { Get, Let, Call };

// One member call, typed and by name. `typed` returns the result and fills
// `by_ref` with the by-reference arguments after the call; `by_ref` of the
// row gives their positions in the by-name argument list.
struct Row {
  std::string label;
  std::function<Variant(Side&, std::vector<Variant>& by_ref)> typed;
  Access access;
  std::string member;
  std::function<std::vector<Variant>(Side&)> arguments;
  std::vector<std::size_t> by_ref = {};
};

Variant CallByName(Side& side, const Row& row, std::vector<Variant>& args) {
  switch (row.access) {
    case Access::Get:
      return side.context->Get(row.member, args);
    case Access::Call:
      return side.context->Call(row.member, args);
    case Access::Let: {
      std::vector<Variant> indices(args.begin(), args.end() - 1);
      side.context->Let(row.member, args.back(), indices);
      return Variant();
    }
  }
  return Variant();
}

using Args = std::vector<Variant>;
Variant Obj(const ObjectRef& object) { return Variant(object); }
Variant None() { return Variant(); }

std::vector<Row> Rows() {
  return {
      {"GetApplicationConfigLocation",
       [](Side& s, Args&) -> Variant { return s.context->GetApplicationConfigLocation(); },
       Access::Call, "getapplicationconfiglocation", [](Side&) { return Args{}; }},
      {"Appl",
       [](Side& s, Args&) {
         s.context->Appl(s.titled);
         return None();
       },
       Access::Let, "Appl", [](Side& s) { return Args{Obj(s.titled)}; }},
      {"name let",
       [](Side& s, Args&) {
         s.context->name("Setup");
         return None();
       },
       Access::Let, "NAME", [](Side&) { return Args{"Setup"}; }},
      {"name get", [](Side& s, Args&) -> Variant { return s.context->name(); }, Access::Get, "name",
       [](Side&) { return Args{}; }},
      {"SaveLocation", [](Side& s, Args&) -> Variant { return s.context->SaveLocation(); },
       Access::Get, "savelocation", [](Side&) { return Args{}; }},
      {"SetApplicationContext",
       [](Side& s, Args&) {
         s.context->SetApplicationContext(s.other_host);
         return None();
       },
       Access::Let, "SetApplicationContext", [](Side& s) { return Args{Obj(s.other_host)}; }},
      {"changed", [](Side& s, Args&) -> Variant { return s.context->changed(); }, Access::Get,
       "Changed", [](Side&) { return Args{}; }},
      {"Dump",
       [](Side& s, Args&) {
         s.context->Dump();
         return None();
       },
       Access::Call, "dump", [](Side&) { return Args{}; }},
      {"Add with every argument, numbers given as text",
       [](Side& s, Args&) {
         s.context->Add("Win", "Left", Variant(int32_t{140}), 2, "Recent");
         return None();
       },
       Access::Call, "add",
       [](Side&) {
         return Args{"Win", "Left", int32_t{140}, "2", "Recent"};
       }},
      {"Add with the defaults",
       [](Side& s, Args&) {
         s.context->Add("Win", "Left", Variant(1.5));
         return None();
       },
       Access::Call, "Add",
       [](Side&) {
         return Args{"Win", "Left", 1.5};
       }},
      {"Add of an illegal tag, reported by Add",
       [](Side& s, Args&) {
         s.context->Add("", "x", Variant(int16_t{1}));
         return None();
       },
       Access::Call, "Add",
       [](Side&) {
         return Args{"", "x", int16_t{1}};
       }},
      {"Value let",
       [](Side& s, Args&) {
         s.context->Value("Win", "Top", Variant(int16_t{7}));
         return None();
       },
       Access::Let, "value",
       [](Side&) {
         return Args{"Win", "Top", int16_t{7}};
       }},
      {"Remove by tag",
       [](Side& s, Args&) {
         s.context->Remove("Win");
         return None();
       },
       Access::Call, "Remove", [](Side&) { return Args{"Win"}; }},
      {"Remove by tag and id",
       [](Side& s, Args&) {
         s.context->Remove("Win", Variant("Left"));
         return None();
       },
       Access::Call, "Remove",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Remove by tag, id and value",
       [](Side& s, Args&) {
         s.context->Remove("Win", Variant("Left"), Variant("120"));
         return None();
       },
       Access::Call, "Remove",
       [](Side&) {
         return Args{"Win", "Left", "120"};
       }},
      {"Remove with an Empty id passed",
       [](Side& s, Args&) {
         s.context->Remove("Win", Variant());
         return None();
       },
       Access::Call, "Remove",
       [](Side&) {
         return Args{"Win", Variant()};
       }},
      {"Clear",
       [](Side& s, Args&) {
         s.context->Clear();
         return None();
       },
       Access::Call, "CLEAR", [](Side&) { return Args{}; }},
      {"MoveFirst",
       [](Side& s, Args&) {
         s.context->MoveFirst("Win", "Left");
         return None();
       },
       Access::Call, "MoveFirst",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Exists", [](Side& s, Args&) -> Variant { return s.context->Exists("Win", "Left"); },
       Access::Call, "exists",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Verify",
       [](Side& s, Args&) {
         s.context->Verify("Flag", "On", Variant(false));
         return None();
       },
       Access::Call, "Verify",
       [](Side&) {
         return Args{"Flag", "On", false};
       }},
      {"Clone into Nothing hands back a new context",
       [](Side& s, Args& by_ref) {
         std::shared_ptr<ContextCls> clone;
         s.context->Clone(clone);
         by_ref = {Obj(clone)};
         return None();
       },
       Access::Call,
       "Clone",
       [](Side&) { return Args{Obj(nullptr)}; },
       {0}},
      {"Clone into an existing context",
       [](Side& s, Args& by_ref) {
         std::shared_ptr<ContextCls> clone = s.target;
         s.context->Clone(clone);
         by_ref = {Obj(clone)};
         return None();
       },
       Access::Call,
       "clone",
       [](Side& s) { return Args{Obj(s.target)}; },
       {0}},
      {"Copy",
       [](Side& s, Args&) {
         s.context->Copy(s.target, "Win");
         return None();
       },
       Access::Call, "Copy",
       [](Side& s) {
         return Args{Obj(s.target), "Win"};
       }},
      {"CloneAdd with the instance as text",
       [](Side& s, Args&) {
         s.context->CloneAdd("Win", "Left", "x", 7);
         return None();
       },
       Access::Call, "CloneAdd",
       [](Side&) {
         return Args{"Win", "Left", "x", "7"};
       }},
      {"EOF", [](Side& s, Args&) -> Variant { return s.context->Eof("Win", "Left"); }, Access::Call,
       "eof",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Read", [](Side& s, Args&) { return s.context->Read("Win", "Left"); }, Access::Call, "Read",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Item", [](Side& s, Args&) { return s.context->Item("Win", "Left", 2); }, Access::Call,
       "item",
       [](Side&) {
         return Args{"Win", "Left", 2.0};
       }},
      {"Value get", [](Side& s, Args&) { return s.context->Value("Win", "Left"); }, Access::Get,
       "Value",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"MoveNext",
       [](Side& s, Args&) {
         s.context->MoveNext("Win", "Left");
         return None();
       },
       Access::Call, "movenext",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Count", [](Side& s, Args&) -> Variant { return s.context->Count("Win", "Left"); },
       Access::Get, "count",
       [](Side&) {
         return Args{"Win", "Left"};
       }},
      {"Load", [](Side& s, Args&) -> Variant { return s.context->Load(s.Path("ctx.tmc")); },
       Access::Call, "Load", [](Side& s) { return Args{s.Path("ctx.tmc")}; }},
      {"Save to a file",
       [](Side& s, Args&) -> Variant { return s.context->Save(s.Path("out.tmc")); }, Access::Call,
       "save", [](Side& s) { return Args{s.Path("out.tmc")}; }},
      {"Save with the default", [](Side& s, Args&) -> Variant { return s.context->Save(); },
       Access::Call, "Save", [](Side&) { return Args{}; }},
      {"log",
       [](Side& s, Args&) {
         s.context->log("Win");
         return None();
       },
       Access::Call, "LOG", [](Side&) { return Args{"Win"}; }},
      {"ProcessXML start tag with the defaults",
       [](Side& s, Args&) {
         s.context->ProcessXML(0, "Win");
         return None();
       },
       Access::Call, "ProcessXML",
       [](Side&) {
         return Args{int32_t{0}, "Win"};
       }},
      {"ExtractTagsFromForm",
       [](Side& s, Args&) {
         s.context->ExtractTagsFromForm("Win", *s.form);
         return None();
       },
       Access::Call, "ExtractTagsFromForm",
       [](Side& s) {
         return Args{"Win", Obj(s.form)};
       }},
      {"ExtractTagsFromFormToCollection hands back changed",
       [](Side& s, Args& by_ref) {
         bool changed = false;
         s.context->ExtractTagsFromFormToCollection("Win", *s.form, *s.cln, changed);
         by_ref = {Variant(changed)};
         return None();
       },
       Access::Call,
       "extracttagsfromformtocollection",
       [](Side& s) {
         return Args{"Win", Obj(s.form), Obj(s.cln), false};
       },
       {3}},
      {"setScrDictionaryVal hands back changed",
       [](Side& s, Args& by_ref) {
         bool changed = false;
         s.context->setScrDictionaryVal(*s.cln, "Win.Left", Variant("150"), changed);
         by_ref = {Variant(changed)};
         return None();
       },
       Access::Call,
       "setScrDictionaryVal",
       [](Side& s) {
         return Args{Obj(s.cln), "Win.Left", "150", false};
       },
       {3}},
      {"setScrDictionaryVal leaves an unchanged flag alone",
       [](Side& s, Args& by_ref) {
         bool changed = false;
         s.context->setScrDictionaryVal(*s.cln, "Win.Left", Variant("99"), changed);
         by_ref = {Variant(changed)};
         return None();
       },
       Access::Call,
       "SETSCRDICTIONARYVAL",
       [](Side& s) {
         return Args{Obj(s.cln), "Win.Left", "99", false};
       },
       {3}},
      {"BuildFromCollection",
       [](Side& s, Args&) {
         s.context->BuildFromCollection("Win", *s.cln);
         return None();
       },
       Access::Call, "BuildFromCollection",
       [](Side& s) {
         return Args{"Win", Obj(s.cln)};
       }},
      {"PopulateFormFromTags",
       [](Side& s, Args&) {
         s.context->PopulateFormFromTags("Win", *s.form, *s.cln);
         return None();
       },
       Access::Call, "populateformfromtags",
       [](Side& s) {
         return Args{"Win", Obj(s.form), Obj(s.cln)};
       }},
      {"RenameAsNextFileCycle",
       [](Side& s, Args&) {
         s.context->RenameAsNextFileCycle(s.Path("cycle.txt"), 2);
         return None();
       },
       Access::Call, "RenameAsNextFileCycle",
       [](Side& s) {
         return Args{s.Path("cycle.txt"), 2.0};
       }},
      {"isBoolean", [](Side& s, Args&) -> Variant { return s.context->isBoolean("true"); },
       Access::Call, "isboolean", [](Side&) { return Args{"true"}; }},
      {"isBadBoolean", [](Side& s, Args&) -> Variant { return s.context->isBadBoolean("Wahr"); },
       Access::Call, "isBadBoolean", [](Side&) { return Args{"Wahr"}; }},
      {"cBoolStr", [](Side& s, Args&) -> Variant { return s.context->cBoolStr(int16_t{1}); },
       Access::Call, "cboolstr", [](Side&) { return Args{int16_t{1}}; }},
      {"min",
       [](Side& s, Args&) {
         return s.context->min(VariantArray({int16_t{3}, 1.5, int16_t{2}}));
       },
       Access::Call, "MIN",
       [](Side&) {
         return Args{VariantArray({int16_t{3}, 1.5, int16_t{2}})};
       }},
      {"MakeFolder",
       [](Side& s, Args&) -> Variant { return s.context->MakeFolder(*s.fso, s.Path("a/b")); },
       Access::Call, "makefolder",
       [](Side& s) {
         return Args{Obj(s.fso), s.Path("a/b")};
       }},
      {"Wait",
       [](Side& s, Args&) {
         s.context->Wait(0.01f);
         return None();
       },
       Access::Call, "wait", [](Side&) { return Args{0.01}; }},
      {"MYcBool", [](Side& s, Args&) -> Variant { return s.context->MYcBool("FALSE"); },
       Access::Call, "mycbool", [](Side&) { return Args{"FALSE"}; }},
      {"GetUserPreferences",
       [](Side& s, Args&) -> Variant { return s.context->GetUserPreferences("Plant"); },
       Access::Call, "GetUserPreferences", [](Side&) { return Args{"Plant"}; }},
  };
}

class ByNameTest : public ::testing::Test {
 protected:
  ~ByNameTest() override { detail::SetApplicationTitle("Tamrel"); }
};

TEST_F(ByNameTest, EveryMemberByNameMatchesItsTypedCall) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.label);
    std::vector<std::string> typed_outcome;
    {
      detail::SetApplicationTitle("Tamrel");
      Side side;
      platform::Scope scope(side.Hooks());
      std::vector<Variant> by_ref;
      Variant result = row.typed(side, by_ref);
      typed_outcome = Observer(side).Observe(result, by_ref);
    }
    std::vector<std::string> by_name_outcome;
    {
      detail::SetApplicationTitle("Tamrel");
      Side side;
      platform::Scope scope(side.Hooks());
      std::vector<Variant> args = row.arguments(side);
      Variant result = CallByName(side, row, args);
      std::vector<Variant> by_ref;
      for (std::size_t position : row.by_ref) by_ref.push_back(args[position]);
      by_name_outcome = Observer(side).Observe(result, by_ref);
    }
    EXPECT_EQ(by_name_outcome, typed_outcome);
  }
}

TEST_F(ByNameTest, TheRowsReachEveryMemberOfTheTable) {
  std::set<int> reached;
  for (const Row& row : Rows()) {
    for (const MemberInfo& info : ContextCls::Members()) {
      bool assignment =
          info.kind == MemberKind::PropertyLet || info.kind == MemberKind::PropertySet;
      if (SameName(info.name, row.member) && assignment == (row.access == Access::Let)) {
        reached.insert(info.slot);
      }
    }
  }
  EXPECT_EQ(reached.size(), 42u);
}

TEST_F(ByNameTest, TheTableListsTheMembersInSlotOrder) {
  const std::vector<MemberInfo>& members = ContextCls::Members();
  ASSERT_EQ(members.size(), 42u);
  for (std::size_t slot = 0; slot < members.size(); ++slot) {
    EXPECT_EQ(members[slot].slot, static_cast<int>(slot));
  }
  EXPECT_EQ(members[18].name, "EOF");
  EXPECT_EQ(members[23].name, "Count");
  EXPECT_EQ(members[23].kind, MemberKind::PropertyGet);
  EXPECT_EQ(members[41].name, "GetUserPreferences");
  const MemberInfo& add = members[8];
  ASSERT_EQ(add.params.size(), 5u);
  EXPECT_EQ(add.params[3].type, "Integer");
  ASSERT_TRUE(add.params[3].default_value.has_value());
  EXPECT_EQ(*add.params[3].default_value, Variant(int16_t{4}));
  const MemberInfo& remove = members[10];
  EXPECT_TRUE(remove.params[1].optional);
  EXPECT_FALSE(remove.params[1].default_value.has_value()) << "Remove's Id has no default";
}

int32_t ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

TEST_F(ByNameTest, WrongArgumentCountsRaise450ForEveryMember) {
  auto context = std::make_shared<ContextCls>();
  for (const MemberInfo& info : ContextCls::Members()) {
    SCOPED_TRACE(info.name);
    std::size_t required = 0;
    for (const MemberParam& param : info.params) required += param.optional ? 0 : 1;
    const bool assignment =
        info.kind == MemberKind::PropertyLet || info.kind == MemberKind::PropertySet;
    std::vector<std::vector<Variant>> wrong = {std::vector<Variant>(info.params.size() + 1)};
    // A Let always carries its value, so it cannot be made with none.
    if (required > (assignment ? 1u : 0u)) wrong.push_back(std::vector<Variant>(required - 1));
    for (std::vector<Variant>& args : wrong) {
      int32_t number = ErrorOf([&] {
        if (assignment) {
          std::vector<Variant> indices(args.begin(), args.end() - 1);
          context->Let(info.name, args.back(), indices);
        } else {
          context->Call(info.name, args);
        }
      });
      EXPECT_EQ(number, errc::kWrongArgumentCount) << args.size() << " arguments";
    }
  }
  try {
    context->Call("Exists", {"Tag"});
    ADD_FAILURE() << "one argument of two was accepted";
  } catch (const Error& error) {
    EXPECT_EQ(error.description(), "Wrong number of arguments or invalid property assignment");
  }
}

TEST_F(ByNameTest, UnknownNamesAndWrongKindsRaise438) {
  auto context = std::make_shared<ContextCls>();
  const std::vector<std::pair<std::string, std::function<void()>>> cases = {
      {"unknown method", [&] { context->Call("Frobnicate", {}); }},
      {"unknown property", [&] { context->Get("Colour"); }},
      {"a member name with a blank",
       [&] {
         context->Call("EOF ", {"T", "I"});
       }},
      {"assignment to a read-only property", [&] { context->Let("SaveLocation", "x"); }},
      {"assignment to a method", [&] { context->Let("Clear", "x"); }},
      {"reading a property that can only be set", [&] { context->Get("Appl"); }},
  };
  for (const auto& [label, call] : cases) {
    EXPECT_EQ(ErrorOf(call), errc::kNoSuchMember) << label;
  }
}

TEST_F(ByNameTest, ArgumentsAreCoercedBeforeTheMemberRuns) {
  auto host = RecordingHost::Make();
  auto form = std::make_shared<StandardForm>();
  auto dictionary = std::make_shared<Dictionary>();
  struct Case {
    const char* label;
    std::string member;
    std::vector<Variant> args;
    int32_t error;
  };
  const std::vector<Case> cases = {
      {"Integer overflow", "Add", {"T", "I", "v", int32_t{40000}}, errc::kOverflow},
      {"Integer from text that is no number", "Add", {"T", "I", "v", "four"}, errc::kTypeMismatch},
      {"Long overflow", "CloneAdd", {"T", "I", "v", 3e9}, errc::kOverflow},
      {"Null for a String", "Add", {Variant::Null(), "I", "v"}, errc::kTypeMismatch},
      {"Null for an Integer", "Add", {"T", "I", "v", Variant::Null()}, errc::kTypeMismatch},
      {"Single overflow", "Wait", {1e300}, errc::kOverflow},
      {"text where a form is needed", "ExtractTagsFromForm", {"T", "form"}, errc::kObjectRequired},
      {"a dictionary where a form is needed",
       "ExtractTagsFromForm",
       {"T", Variant(ObjectRef(dictionary))},
       errc::kTypeMismatch},
      {"Nothing where a dictionary is needed",
       "BuildFromCollection",
       {"T", Variant(ObjectRef())},
       errc::kObjectNotSet},
      {"a form where a context is needed",
       "Copy",
       {Variant(ObjectRef(form)), "T"},
       errc::kTypeMismatch},
      {"a number where an array is needed", "min", {int16_t{1}}, errc::kTypeMismatch},
      {"Null for the changed flag",
       "setScrDictionaryVal",
       {Variant(ObjectRef(dictionary)), "k", "v", Variant::Null()},
       errc::kTypeMismatch},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.label);
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(host);
    host->ClearCalls();
    EXPECT_EQ(ErrorOf([&] { context->Call(c.member, c.args); }), c.error);
    EXPECT_TRUE(host->calls().empty()) << "the member must not have run";
    EXPECT_EQ(detail::StateOf(*context).items.Count(), 0);
    EXPECT_FALSE(context->changed());
    EXPECT_EQ(dictionary->Count(), 0);
  }
}

TEST_F(ByNameTest, RemoveTellsNotPassedFromPassed) {
  // Remove("T", Empty) removes only records whose Id is empty; Remove("T")
  // removes the whole tag.
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(RecordingHost::Make());
  context->Add("T", "I", Variant("v"));
  context->Call("Remove", {"T", Variant()});
  EXPECT_TRUE(context->Exists("T", "I"));
  context->Call("Remove", {"T"});
  EXPECT_FALSE(context->Exists("T", "I"));
}

TEST_F(ByNameTest, CreateObjectMakesContextsByTheirProgrammaticName) {
  for (const char* name : {"Tamrel.ContextCls", "tamrel.contextcls", "TAMREL.CONTEXTCLS"}) {
    ObjectRef made = CreateObject(name);
    ASSERT_NE(std::dynamic_pointer_cast<ContextCls>(made), nullptr) << name;
    EXPECT_EQ(made->Get("name"), Variant("")) << "a new context";
  }
  EXPECT_NE(CreateObject("Tamrel.ContextCls"), CreateObject("Tamrel.ContextCls"));
  for (const char* name :
       {"Tamrel", "ContextCls", "Tamrel.ContextCls2", "Scripting.Dictionary", ""}) {
    EXPECT_EQ(ErrorOf([&] { CreateObject(name); }), errc::kCannotCreateObject) << name;
  }
}

}  // namespace
}  // namespace tamrel
