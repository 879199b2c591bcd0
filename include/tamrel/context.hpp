// ContextCls: one context, a named persistent store of configuration values
// filed by tag, id and instance.
//
// Create one with std::make_shared<ContextCls>() or
// CreateObject("Tamrel.ContextCls"), hand it the host application object with
// SetApplicationContext, then fill it with Add/Value, read it with
// MoveFirst/Eof/Read/MoveNext, Item, Value, Count and Exists, and make it
// permanent with Save and Load.
//
// Error convention: members with a trap report a failure to the host
// (RegisterError("Tamrel/ContextCls/<location>", stage), then
// HandleError(true, true, false)) and return normally, their result at what
// it held. Without a host application object that report itself fails with
// error 91, which reaches the caller. Members without a trap (the small
// properties, Dump, setScrDictionaryVal, isBadBoolean, cBoolStr, min,
// MakeFolder, Wait, GetApplicationConfigLocation) throw tamrel::Error.
//
// A context is used from one thread. Save holds the context file's lock
// (tamrel/context_file_lock.hpp) while it writes, so that programs saving
// one file at once take turns; it fails with error 70 when another program
// holds the lock for more than 10 seconds.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tamrel/dictionary.hpp"
#include "tamrel/form.hpp"
#include "tamrel/host.hpp"
#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {

class FileSystemObject;  // tamrel/filesystem.hpp

namespace detail {
struct ContextState;
struct ContextAccess;
}  // namespace detail

// One member of the interface, as Members() lists it.
enum class MemberKind { Function, Method, PropertyGet, PropertyLet, PropertySet };

struct MemberParam {
  std::string name;
  std::string type;  // "String", "Integer", "Long", "Single", "Boolean", "Variant", "Object", ...
  bool optional = false;
  std::optional<Variant> default_value;  // absent: no default
};

struct MemberInfo {
  int slot = 0;
  std::string name;  // the table name ("EOF" for Eof)
  MemberKind kind = MemberKind::Method;
  std::vector<MemberParam> params;
  std::string result;  // "" for none
};

class ContextCls : public Object {
 public:
  ContextCls();
  ~ContextCls() override;
  ContextCls(const ContextCls&) = delete;
  ContextCls& operator=(const ContextCls&) = delete;

  // --- The members, in slot order -------------------------------------
  std::string GetApplicationConfigLocation();                                 // 0
  void Appl(const ObjectRef& obj);                                            // 1
  void name(const std::string& strName);                                      // 2
  std::string name() const;                                                   // 3
  std::string SaveLocation() const;                                           // 4
  void SetApplicationContext(const ObjectRef& hostApplication);               // 5
  bool changed() const;                                                       // 6
  void Dump();                                                                // 7
  void Add(const std::string& Tag, const std::string& Id, const Variant& inpVal,
           int16_t maxCount = 4, const std::string& linkId = "");             // 8
  void Value(const std::string& Tag, const std::string& Id, const Variant& val);  // 9
  void Remove(const std::string& Tag, std::optional<Variant> Id = {},
              std::optional<Variant> strValue = {});                          // 10
  void Clear();                                                               // 11
  void MoveFirst(const std::string& Tag, const std::string& Id);             // 12
  bool Exists(const std::string& Tag, const std::string& Id);                // 13
  void Verify(const std::string& Tag, const std::string& Id, const Variant& defValue);  // 14
  void Clone(std::shared_ptr<ContextCls>& contextClass);                      // 15
  void Copy(const std::shared_ptr<ContextCls>& contextClass, const std::string& Tag);  // 16
  void CloneAdd(const std::string& Tag, const std::string& Id, const std::string& val,
                int32_t Instance);                                            // 17
  bool Eof(const std::string& Tag, const std::string& Id);                   // 18 "EOF"
  Variant Read(const std::string& Tag, const std::string& Id);               // 19
  Variant Item(const std::string& Tag, const std::string& Id, int32_t Instance);  // 20
  Variant Value(const std::string& Tag, const std::string& Id);              // 21
  void MoveNext(const std::string& Tag, const std::string& Id);              // 22
  int32_t Count(const std::string& Tag, const std::string& Id);              // 23
  bool Load(const std::string& filename);                                     // 24
  bool Save(const std::string& filename = "");                                // 25
  void log(const std::string& Id);                                            // 26
  void ProcessXML(int16_t xmlPortion, const std::string& xmlTag,
                  const std::string& attrOrElement = "", const std::string& attrVal = "");  // 27
  void ExtractTagsFromForm(const std::string& TagName, Form& myFrm);         // 28
  void ExtractTagsFromFormToCollection(const std::string& TagName, Form& myFrm, Dictionary& cln,
                                       bool& changed);                        // 29
  void setScrDictionaryVal(Dictionary& cln, const std::string& Key, const Variant& val,
                           bool& changed);                                    // 30
  void BuildFromCollection(const std::string& TagName, Dictionary& cln);     // 31
  void PopulateFormFromTags(const std::string& TagName, Form& myFrm, Dictionary& cln);  // 32
  void RenameAsNextFileCycle(const std::string& strFilename, int16_t intRetainCycles);  // 33
  bool isBoolean(const Variant& val);                                         // 34
  bool isBadBoolean(const Variant& val);                                      // 35
  std::string cBoolStr(const Variant& val);                                   // 36
  Variant min(const VariantArray& vals);                                      // 37
  bool MakeFolder(FileSystemObject& fso, const std::string& path);           // 38
  void Wait(float interval);                                                  // 39
  bool MYcBool(const Variant& val);                                           // 40
  bool GetUserPreferences(const std::string& strAppl);                        // 41

  // --- Late binding ------------------------------------------------------
  std::string TypeName() const override { return "ContextCls"; }
  // Every member by its table name ("EOF" included), arguments converted as
  // the automation run-time converts them. Unknown name: error 438; wrong
  // argument count: error 450.
  Variant Get(const std::string& name, const std::vector<Variant>& indices = {}) override;
  void Let(const std::string& name, const Variant& value,
           const std::vector<Variant>& indices = {}) override;
  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;

  // The 42 members in slot order.
  static const std::vector<MemberInfo>& Members();

 private:
  friend struct detail::ContextAccess;
  std::unique_ptr<detail::ContextState> state_;
};

// Creates an object by its programmatic name; "Tamrel.ContextCls" makes a
// ContextCls. Any other name raises error 429.
ObjectRef CreateObject(const std::string& progId);

// The application title of the current thread: "Tamrel" until Appl replaces it.
std::string ApplicationTitle();

}  // namespace tamrel
