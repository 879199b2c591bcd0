// The dual interface: every member of ContextCls reached by its table name.
//
// A late-bound call is matched against the member table (case-insensitive
// names; Get and Call reach functions, methods and property gets, as the
// run-time's combined method/property-get invocation does; Let reaches
// property lets and sets), its argument count is checked against the table,
// and each argument is coerced to its parameter type before the typed member
// runs, first to last. Coercion failures reach the caller as the run-time
// raises them: 13 for a value of the wrong kind (Null included) or an object
// of the wrong class, 6 for a number out of range, 424 for a non-object where
// an object is required, 91 for Nothing where the member needs a real object
// (a form, a dictionary, a file-system object). By-reference arguments the member changes
// are written back into the caller's argument list.
#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/form.hpp"

namespace tamrel {
namespace {

// What a late-bound caller asks of a member.
enum class Access { GetOrCall, Let };

bool Answers(MemberKind kind, Access access) {
  bool is_assignment = kind == MemberKind::PropertyLet || kind == MemberKind::PropertySet;
  return is_assignment == (access == Access::Let);
}

const MemberInfo* FindMember(const std::string& member, Access access) {
  for (const MemberInfo& info : ContextCls::Members()) {
    if (SameName(info.name, member) && Answers(info.kind, access)) return &info;
  }
  return nullptr;
}

void CheckArgumentCount(const MemberInfo& info, std::size_t count) {
  std::size_t required = 0;
  for (const MemberParam& param : info.params) {
    if (!param.optional) ++required;
  }
  if (count < required || count > info.params.size()) Raise(errc::kWrongArgumentCount);
}

// The caller's arguments of one call, coerced on demand to the parameter
// types of `info`. An optional argument that was not passed reads as the
// parameter's default.
class Arguments {
 public:
  Arguments(const MemberInfo& info, std::vector<Variant>& values) : info_(info), values_(values) {}

  bool Passed(std::size_t i) const { return i < values_.size(); }

  // A Variant parameter: the caller's value itself.
  const Variant& Value(std::size_t i) const {
    return Passed(i) ? values_[i] : *info_.params[i].default_value;
  }
  std::optional<Variant> IfPassed(std::size_t i) const {
    return Passed(i) ? std::optional<Variant>(values_[i]) : std::nullopt;
  }

  std::string Text(std::size_t i) const { return CStr(Scalar(i)); }
  int16_t Integer(std::size_t i) const { return CInt(Scalar(i)); }
  int32_t Long(std::size_t i) const { return CLng(Scalar(i)); }
  bool Boolean(std::size_t i) const { return CBool(Scalar(i)); }
  float Single(std::size_t i) const {
    double value = CDbl(Scalar(i));
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) Raise(errc::kOverflow);
    return static_cast<float>(value);
  }

  const VariantArray& Array(std::size_t i) const {
    const Variant& value = Value(i);
    if (!value.IsArray()) Raise(errc::kTypeMismatch);
    return value.AsArray();
  }

  // Any object, Nothing included. Empty coerces to Nothing, as the
  // run-time's conversion to an object reference does.
  ObjectRef AnyObject(std::size_t i) const {
    const Variant& value = Value(i);
    if (value.IsEmpty()) return nullptr;
    if (!value.IsObject()) Raise(errc::kObjectRequired);
    return value.AsObject();
  }

  // An object of class T, or Nothing.
  template <class T>
  std::shared_ptr<T> ObjectOrNothing(std::size_t i) const {
    ObjectRef object = AnyObject(i);
    if (object == nullptr) return nullptr;
    std::shared_ptr<T> typed = std::dynamic_pointer_cast<T>(object);
    if (typed == nullptr) Raise(errc::kTypeMismatch);
    return typed;
  }

  // An object of class T that must be there. It stays alive in the caller's
  // argument list for the length of the call.
  template <class T>
  T& Object(std::size_t i) const {
    std::shared_ptr<T> typed = ObjectOrNothing<T>(i);
    if (typed == nullptr) Raise(errc::kObjectNotSet);
    return *typed;
  }

  // Writes a by-reference result back when the member changed it.
  void WriteBackBoolean(std::size_t i, bool before, bool after) {
    if (after != before) values_[i] = Variant(after);
  }
  void WriteBackContext(std::size_t i, const std::shared_ptr<ContextCls>& before,
                        const std::shared_ptr<ContextCls>& after) {
    if (after != before) values_[i] = Variant(ObjectRef(after));
  }

 private:
  // A value for a typed (non-Variant) parameter. The run-time's coercion
  // refuses Null with a type mismatch, where CStr and its kin would say 94.
  const Variant& Scalar(std::size_t i) const {
    const Variant& value = Value(i);
    if (value.IsNull()) Raise(errc::kTypeMismatch);
    return value;
  }

  const MemberInfo& info_;
  std::vector<Variant>& values_;
};

using Invoker = Variant (*)(ContextCls&, Arguments&);

// One invoker per slot, in slot order. Each coerces its arguments into locals
// first to last, so that the first bad argument is the one reported.
constexpr std::array<Invoker, 42> kInvokers = {
    // 0 GetApplicationConfigLocation
    [](ContextCls& c, Arguments&) -> Variant { return c.GetApplicationConfigLocation(); },
    // 1 Appl
    [](ContextCls& c, Arguments& a) -> Variant {
      c.Appl(a.AnyObject(0));
      return {};
    },
    // 2 name (let)
    [](ContextCls& c, Arguments& a) -> Variant {
      c.name(a.Text(0));
      return {};
    },
    // 3 name (get)
    [](ContextCls& c, Arguments&) -> Variant { return c.name(); },
    // 4 SaveLocation
    [](ContextCls& c, Arguments&) -> Variant { return c.SaveLocation(); },
    // 5 SetApplicationContext
    [](ContextCls& c, Arguments& a) -> Variant {
      c.SetApplicationContext(a.AnyObject(0));
      return {};
    },
    // 6 changed
    [](ContextCls& c, Arguments&) -> Variant { return c.changed(); },
    // 7 Dump
    [](ContextCls& c, Arguments&) -> Variant {
      c.Dump();
      return {};
    },
    // 8 Add
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      const Variant& value = a.Value(2);
      int16_t max_count = a.Integer(3);
      std::string link_id = a.Text(4);
      c.Add(tag, id, value, max_count, link_id);
      return {};
    },
    // 9 Value (let)
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      c.Value(tag, id, a.Value(2));
      return {};
    },
    // 10 Remove
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      c.Remove(tag, a.IfPassed(1), a.IfPassed(2));
      return {};
    },
    // 11 Clear
    [](ContextCls& c, Arguments&) -> Variant {
      c.Clear();
      return {};
    },
    // 12 MoveFirst
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      c.MoveFirst(tag, id);
      return {};
    },
    // 13 Exists
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      return c.Exists(tag, id);
    },
    // 14 Verify
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      c.Verify(tag, id, a.Value(2));
      return {};
    },
    // 15 Clone: the caller's reference receives a new target when it had none.
    [](ContextCls& c, Arguments& a) -> Variant {
      std::shared_ptr<ContextCls> before = a.ObjectOrNothing<ContextCls>(0);
      std::shared_ptr<ContextCls> target = before;
      c.Clone(target);
      a.WriteBackContext(0, before, target);
      return {};
    },
    // 16 Copy
    [](ContextCls& c, Arguments& a) -> Variant {
      std::shared_ptr<ContextCls> target = a.ObjectOrNothing<ContextCls>(0);
      std::string tag = a.Text(1);
      c.Copy(target, tag);
      return {};
    },
    // 17 CloneAdd
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      std::string value = a.Text(2);
      int32_t instance = a.Long(3);
      c.CloneAdd(tag, id, value, instance);
      return {};
    },
    // 18 EOF
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      return c.Eof(tag, id);
    },
    // 19 Read
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      return c.Read(tag, id);
    },
    // 20 Item
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      int32_t instance = a.Long(2);
      return c.Item(tag, id, instance);
    },
    // 21 Value (get)
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      return c.Value(tag, id);
    },
    // 22 MoveNext
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      c.MoveNext(tag, id);
      return {};
    },
    // 23 Count
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag = a.Text(0);
      std::string id = a.Text(1);
      return c.Count(tag, id);
    },
    // 24 Load
    [](ContextCls& c, Arguments& a) -> Variant { return c.Load(a.Text(0)); },
    // 25 Save
    [](ContextCls& c, Arguments& a) -> Variant { return c.Save(a.Text(0)); },
    // 26 log
    [](ContextCls& c, Arguments& a) -> Variant {
      c.log(a.Text(0));
      return {};
    },
    // 27 ProcessXML
    [](ContextCls& c, Arguments& a) -> Variant {
      int16_t portion = a.Integer(0);
      std::string xml_tag = a.Text(1);
      std::string attr_or_element = a.Text(2);
      std::string attr_val = a.Text(3);
      c.ProcessXML(portion, xml_tag, attr_or_element, attr_val);
      return {};
    },
    // 28 ExtractTagsFromForm
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag_name = a.Text(0);
      c.ExtractTagsFromForm(tag_name, a.Object<Form>(1));
      return {};
    },
    // 29 ExtractTagsFromFormToCollection: `changed` goes back to the caller.
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag_name = a.Text(0);
      Form& form = a.Object<Form>(1);
      Dictionary& cln = a.Object<Dictionary>(2);
      bool before = a.Boolean(3);
      bool changed = before;
      c.ExtractTagsFromFormToCollection(tag_name, form, cln, changed);
      a.WriteBackBoolean(3, before, changed);
      return {};
    },
    // 30 setScrDictionaryVal: `changed` goes back to the caller.
    [](ContextCls& c, Arguments& a) -> Variant {
      Dictionary& cln = a.Object<Dictionary>(0);
      std::string key = a.Text(1);
      const Variant& value = a.Value(2);
      bool before = a.Boolean(3);
      bool changed = before;
      c.setScrDictionaryVal(cln, key, value, changed);
      a.WriteBackBoolean(3, before, changed);
      return {};
    },
    // 31 BuildFromCollection
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag_name = a.Text(0);
      c.BuildFromCollection(tag_name, a.Object<Dictionary>(1));
      return {};
    },
    // 32 PopulateFormFromTags
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string tag_name = a.Text(0);
      Form& form = a.Object<Form>(1);
      c.PopulateFormFromTags(tag_name, form, a.Object<Dictionary>(2));
      return {};
    },
    // 33 RenameAsNextFileCycle
    [](ContextCls& c, Arguments& a) -> Variant {
      std::string file_name = a.Text(0);
      int16_t retain = a.Integer(1);
      c.RenameAsNextFileCycle(file_name, retain);
      return {};
    },
    // 34 isBoolean
    [](ContextCls& c, Arguments& a) -> Variant { return c.isBoolean(a.Value(0)); },
    // 35 isBadBoolean
    [](ContextCls& c, Arguments& a) -> Variant { return c.isBadBoolean(a.Value(0)); },
    // 36 cBoolStr
    [](ContextCls& c, Arguments& a) -> Variant { return c.cBoolStr(a.Value(0)); },
    // 37 min
    [](ContextCls& c, Arguments& a) -> Variant { return (c.min)(a.Array(0)); },
    // 38 MakeFolder
    [](ContextCls& c, Arguments& a) -> Variant {
      FileSystemObject& fso = a.Object<FileSystemObject>(0);
      return c.MakeFolder(fso, a.Text(1));
    },
    // 39 Wait
    [](ContextCls& c, Arguments& a) -> Variant {
      c.Wait(a.Single(0));
      return {};
    },
    // 40 MYcBool
    [](ContextCls& c, Arguments& a) -> Variant { return c.MYcBool(a.Value(0)); },
    // 41 GetUserPreferences
    [](ContextCls& c, Arguments& a) -> Variant { return c.GetUserPreferences(a.Text(0)); },
};

Variant Invoke(ContextCls& context, const MemberInfo& info, std::vector<Variant>& args) {
  CheckArgumentCount(info, args.size());
  Arguments arguments(info, args);
  return kInvokers[static_cast<std::size_t>(info.slot)](context, arguments);
}

}  // namespace

Variant ContextCls::Get(const std::string& member, const std::vector<Variant>& indices) {
  const MemberInfo* info = FindMember(member, Access::GetOrCall);
  if (info == nullptr) NoSuchMember(member);
  std::vector<Variant> args = indices;
  return Invoke(*this, *info, args);
}

void ContextCls::Let(const std::string& member, const Variant& value,
                     const std::vector<Variant>& indices) {
  const MemberInfo* info = FindMember(member, Access::Let);
  if (info == nullptr) NoSuchMember(member);
  // The assigned value is the last argument, after the indices.
  std::vector<Variant> args = indices;
  args.push_back(value);
  Invoke(*this, *info, args);
}

Variant ContextCls::Call(const std::string& member, std::vector<Variant>& args) {
  const MemberInfo* info = FindMember(member, Access::GetOrCall);
  if (info == nullptr) NoSuchMember(member);
  return Invoke(*this, *info, args);
}

}  // namespace tamrel
