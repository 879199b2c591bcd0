// The member table of the ContextCls interface: the 42 members in slot order,
// with their kind, parameters and result. Late binding (members_by_name.cpp)
// checks argument counts against it, and hosts read it through Members().
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/context.hpp"

namespace tamrel {
namespace {

using Kind = MemberKind;

MemberParam Required(std::string name, std::string type) {
  return MemberParam{std::move(name), std::move(type), false, std::nullopt};
}

MemberParam OptionalWithDefault(std::string name, std::string type, Variant default_value) {
  return MemberParam{std::move(name), std::move(type), true, std::move(default_value)};
}

MemberParam OptionalWithoutDefault(std::string name, std::string type) {
  return MemberParam{std::move(name), std::move(type), true, std::nullopt};
}

// Tag and Id, the address of a value, lead most parameter lists.
std::vector<MemberParam> TagAndId(std::vector<MemberParam> more = {}) {
  std::vector<MemberParam> params{Required("Tag", "String"), Required("Id", "String")};
  params.insert(params.end(), more.begin(), more.end());
  return params;
}

std::vector<MemberInfo> BuildMembers() {
  // clang-format off
  std::vector<MemberInfo> members = {
      {0, "GetApplicationConfigLocation", Kind::Function, {}, "String"},
      {1, "Appl", Kind::PropertySet, {Required("obj", "Object")}, ""},
      {2, "name", Kind::PropertyLet, {Required("strName", "String")}, ""},
      {3, "name", Kind::PropertyGet, {}, "String"},
      {4, "SaveLocation", Kind::PropertyGet, {}, "String"},
      {5, "SetApplicationContext", Kind::PropertySet, {Required("hostApplication", "Object")}, ""},
      {6, "changed", Kind::PropertyGet, {}, "Boolean"},
      {7, "Dump", Kind::Method, {}, ""},
      {8, "Add", Kind::Method,
       TagAndId({Required("inpVal", "Variant"),
                 OptionalWithDefault("maxCount", "Integer", Variant(int16_t{4})),
                 OptionalWithDefault("linkId", "String", Variant(""))}),
       ""},
      {9, "Value", Kind::PropertyLet, TagAndId({Required("val", "Variant")}), ""},
      {10, "Remove", Kind::Method,
       {Required("Tag", "String"), OptionalWithoutDefault("Id", "Variant"),
        OptionalWithoutDefault("strValue", "Variant")},
       ""},
      {11, "Clear", Kind::Method, {}, ""},
      {12, "MoveFirst", Kind::Method, TagAndId(), ""},
      {13, "Exists", Kind::Function, TagAndId(), "Boolean"},
      {14, "Verify", Kind::Method, TagAndId({Required("defValue", "Variant")}), ""},
      {15, "Clone", Kind::Method, {Required("contextClass", "ContextCls")}, ""},
      {16, "Copy", Kind::Method,
       {Required("contextClass", "ContextCls"), Required("Tag", "String")}, ""},
      {17, "CloneAdd", Kind::Method,
       TagAndId({Required("val", "String"), Required("Instance", "Long")}), ""},
      {18, "EOF", Kind::Function, TagAndId(), "Boolean"},
      {19, "Read", Kind::Function, TagAndId(), "Variant"},
      {20, "Item", Kind::Function, TagAndId({Required("Instance", "Long")}), "Variant"},
      {21, "Value", Kind::PropertyGet, TagAndId(), "Variant"},
      {22, "MoveNext", Kind::Method, TagAndId(), ""},
      {23, "Count", Kind::PropertyGet, TagAndId(), "Long"},
      {24, "Load", Kind::Function, {Required("filename", "String")}, "Boolean"},
      {25, "Save", Kind::Function, {OptionalWithDefault("filename", "String", Variant(""))},
       "Boolean"},
      {26, "log", Kind::Method, {Required("Id", "String")}, ""},
      {27, "ProcessXML", Kind::Method,
       {Required("xmlPortion", "Integer"), Required("xmlTag", "String"),
        OptionalWithDefault("attrOrElement", "String", Variant("")),
        OptionalWithDefault("attrVal", "String", Variant(""))},
       ""},
      {28, "ExtractTagsFromForm", Kind::Method,
       {Required("TagName", "String"), Required("myFrm", "Object")}, ""},
      {29, "ExtractTagsFromFormToCollection", Kind::Method,
       {Required("TagName", "String"), Required("myFrm", "Object"),
        Required("cln", "Dictionary"), Required("changed", "Boolean")},
       ""},
      {30, "setScrDictionaryVal", Kind::Method,
       {Required("cln", "Dictionary"), Required("Key", "String"), Required("val", "Variant"),
        Required("changed", "Boolean")},
       ""},
      {31, "BuildFromCollection", Kind::Method,
       {Required("TagName", "String"), Required("cln", "Dictionary")}, ""},
      {32, "PopulateFormFromTags", Kind::Method,
       {Required("TagName", "String"), Required("myFrm", "Object"),
        Required("cln", "Dictionary")},
       ""},
      {33, "RenameAsNextFileCycle", Kind::Method,
       {Required("strFilename", "String"), Required("intRetainCycles", "Integer")}, ""},
      {34, "isBoolean", Kind::Function, {Required("val", "Variant")}, "Boolean"},
      {35, "isBadBoolean", Kind::Function, {Required("val", "Variant")}, "Boolean"},
      {36, "cBoolStr", Kind::Function, {Required("val", "Variant")}, "String"},
      {37, "min", Kind::Function, {Required("vals", "Variant()")}, "Variant"},
      {38, "MakeFolder", Kind::Function,
       {Required("fso", "FileSystemObject"), Required("path", "String")}, "Boolean"},
      {39, "Wait", Kind::Method, {Required("interval", "Single")}, ""},
      {40, "MYcBool", Kind::Function, {Required("val", "Variant")}, "Boolean"},
      {41, "GetUserPreferences", Kind::Function, {Required("strAppl", "String")}, "Boolean"},
  };
  // clang-format on
  return members;
}

}  // namespace

const std::vector<MemberInfo>& ContextCls::Members() {
  static const std::vector<MemberInfo> members = BuildMembers();
  return members;
}

}  // namespace tamrel
