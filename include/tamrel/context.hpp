// ContextCls: one context, a named persistent store of configuration values
// filed by tag, id and instance.
//
// Create one with std::make_shared<ContextCls>() or
// CreateObject("Tamrel.ContextCls"), hand it the host application object with
// SetApplicationContext, then fill it with Add/Value, read it with
// MoveFirst/Eof/Read/MoveNext, Item, Value, Count and Exists, and make it
// permanent with Save and Load.
//
// Error convention: a member "trapped as L" does not throw for a failure
// of its own: it stops, makes the failure tamrel::CurrentError(), calls the
// host's RegisterError("Tamrel/ContextCls/L", "Initialize") and then
// HandleError(true, true, false) (see tamrel/host.hpp), and returns
// normally with its result at what it held (false, 0, Empty or ""). Without
// a host application object (SetApplicationContext) that report itself
// fails with error 91; that failure, or one of the host's RegisterError or
// HandleError, reaches the caller as a tamrel::Error. Members that are
// not trapped (the small properties, Dump, setScrDictionaryVal,
// isBadBoolean, cBoolStr, min, MakeFolder, Wait,
// GetApplicationConfigLocation) raise tamrel::Error; isBoolean and MYcBool
// never raise. When a member uses another (Verify uses Add), it calls the
// public member, whose own trap then reports.
//
// A constructor that cannot allocate the context's state shows the
// unmanaged-error box (platform message box) and throws std::bad_alloc.
//
// A context is used from one thread. Save holds the context file's lock
// (tamrel/context_file_lock.hpp) while it writes, so that programs saving
// one file at once take turns; it fails with error 70 when another program
// holds the lock for more than 10 seconds. Its records can be listed whole
// with tamrel::Records (tamrel/records.hpp).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tamrel/dictionary.hpp"
#include "tamrel/export.hpp"
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

class TAMREL_EXPORT ContextCls : public Object {
 public:
  ContextCls();
  ~ContextCls() override;
  ContextCls(const ContextCls&) = delete;
  ContextCls& operator=(const ContextCls&) = delete;

  // --- The members, in slot order -------------------------------------
  //
  // "Trapped" below means the error convention at the top of this file,
  // with the location named; "raises" means a tamrel::Error reaches the
  // caller. Tags, ids and values are texts of bytes, compared exactly.

  // 0. The application's own configuration folder: the folder named after
  // the application title (Appl; a "/" in it becomes "-") below special
  // folder 26, with a trailing separator. Creates it (and the levels above)
  // when missing, and logs whether it existed or was created. Raises: error
  // 91 without a host, any failure of the folder services or MakeFolder.
  std::string GetApplicationConfigLocation();

  // 1. Property Set Appl: makes `obj`'s readable `title` (as text) the
  // application title of the current thread, which names the application
  // folder and heads Load's messages; `obj` is not kept. Raises: 91 for a
  // null `obj`, 438 when it has no `title`, a failure to convert it.
  void Appl(const ObjectRef& obj);

  // 2, 3. The context's name, "" until set. It appears in log lines
  // (Verify, Load's instance checks, MoveFirst's warning); the name
  // "NewAlbumDefaults" makes Load clean older caption separators. Never
  // raises.
  void name(const std::string& strName);
  std::string name() const;

  // 4. The file Save writes when given no name: set by a Load that decoded
  // the file (or restored it from its backup copy), by Save with a name, and
  // by GetUserPreferences. "" for a new context. Never raises.
  std::string SaveLocation() const;

  // 5. Sets (or, with null, removes) the host application object to which
  // this context logs, shows messages and reports failures. Until one is
  // set, every trapped member that fails raises error 91 instead of
  // reporting. Raises 13 (type mismatch) for an object that is not a
  // HostApplication, keeping the host it had.
  void SetApplicationContext(const ObjectRef& hostApplication);

  // 6. True once Add, Value (let) or Remove has run, or a Load repaired a
  // record; only Load and Save set it back to false. Never raises.
  bool changed() const;

  // 7. Reads every record and shows nothing: a hook kept for hosts that call
  // it. Never raises.
  void Dump();

  // 8. Stores `inpVal` as instance 1 of (Tag, Id), at the front of the
  // store; the older values of the pair become 2, 3, ... and those beyond
  // `maxCount` are removed (at least the new one stays). A Boolean, or a
  // boolean word in any language, is stored as "True" or "False"; Null as
  // ""; anything else as its text. `linkId` names linked tags, each after an
  // apostrophe (text before the first apostrophe is ignored, so
  // "'FileView'FileZoom" names FileView and FileZoom): when a removed value
  // X differs from the new value, every record of a linked tag with Id X is
  // removed too. Sets `changed`. An empty Tag or Id, or the Tag "context",
  // is refused: ShowMessage tells the user, then the failure (error 60011)
  // is trapped as "Add". A key the file cannot give back (RoundTrips) is
  // stored all the same.
  void Add(const std::string& Tag, const std::string& Id, const Variant& inpVal,
           int16_t maxCount = 4, const std::string& linkId = "");

  // 9. Property Let Value: Add(Tag, Id, val, 1, ""): the pair holds exactly
  // this one value afterwards. Failures are Add's.
  void Value(const std::string& Tag, const std::string& Id, const Variant& val);

  // 10. Removes every record of Tag; with Id, those of (Tag, Id); with
  // strValue too, only those of (Tag, Id) whose value is exactly that text.
  // A non-text Id or value is compared by its text (Null: error 94, only
  // when a record is there to compare). The instances that stay keep their
  // numbers, gaps included; no cursor moves. Sets `changed`, also when
  // nothing matched. Trapped as "Remove".
  void Remove(const std::string& Tag, std::optional<Variant> Id = {},
              std::optional<Variant> strValue = {});

  // 11. Removes every record. Cursors, `changed` and the numbering of new
  // keys stay. Trapped as "Clear".
  void Clear();

  // Reading. Each (Tag, Id) has one read cursor: a position in the store,
  // not a record, so records added or removed before it shift what it
  // points at (Add puts new records at the front). Tag "a_b" with Id "c"
  // shares the cursor of Tag "a" with Id "b_c". The loop is
  //   MoveFirst(t, i); while (!Eof(t, i)) { Read(t, i); MoveNext(t, i); }
  // and visits the pair's values in store order, newest first after Adds.

  // 12. Puts the cursor of (Tag, Id) on its first value. When that value's
  // instance is not 1 (a Remove by value took instance 1), writes a warning
  // line to the host's log. Trapped as "MoveFirst".
  void MoveFirst(const std::string& Tag, const std::string& Id);

  // 13. Whether (Tag, Id) has a value; rewinds its cursor to its first
  // value. Trapped as "Exists" (false after a reported failure).
  bool Exists(const std::string& Tag, const std::string& Id);

  // 14. Makes sure (Tag, Id) exists and holds the kind of value `defValue`
  // has: a boolean, a number or a non-empty text. A missing value is added
  // as `defValue`; a stored value of the wrong kind is replaced by it; a
  // boolean stored in another language's words (or another letter case)
  // is rewritten as "True" or "False". Only the first value is examined.
  // Each repair writes one log line starting "Tamrel/ContextCls/Verify
  // <name>". Repairs go through Add and Value (so `changed` is set).
  // Trapped as "Verify".
  void Verify(const std::string& Tag, const std::string& Id, const Variant& defValue);

  // 15. Copies every record, in store order with its instance number, into
  // `contextClass` through its CloneAdd, after emptying it with its Clear.
  // A null reference is replaced by a new context (which has no host: a
  // failure inside it then stops the copy and is reported here). Nothing
  // else (name, host, save location, cursors) is copied. Cloning a context
  // into itself leaves it empty. Trapped as "Clone"; a failure inside a
  // target with a host is reported by the target, and the copy goes on.
  void Clone(std::shared_ptr<ContextCls>& contextClass);

  // 16. Replaces `contextClass`'s records of Tag with this context's: its
  // Remove(Tag), then its CloneAdd for each record of Tag, appended at the
  // end of its store. Copying a context into itself therefore removes the
  // Tag. A null target fails with 91. Trapped as "Copy".
  void Copy(const std::shared_ptr<ContextCls>& contextClass, const std::string& Tag);

  // 17. Appends a record with exactly these fields at the end of the store:
  // no check of Tag or Id, no renumbering, no limit, `changed` untouched.
  // An Instance outside -32768..32767 fails with overflow (6) before
  // anything is stored. Trapped as "CloneAdd".
  void CloneAdd(const std::string& Tag, const std::string& Id, const std::string& val,
                int32_t Instance);

  // 18. "EOF" by name: moves the cursor to the pair's next value at or after
  // it and returns whether there is none. Trapped as "EOF".
  bool Eof(const std::string& Tag, const std::string& Id);

  // 19. The value at (or next after) the cursor, as text, without advancing:
  // two Reads give the same value. Null when there is none. Trapped as
  // "Read" (an Empty Variant after a reported failure).
  Variant Read(const std::string& Tag, const std::string& Id);

  // 20. The value of instance `Instance` of (Tag, Id), the first one in
  // store order with that number, leaving the cursor on it (past the end
  // when there is none). Null when there is none. Trapped as "Item".
  Variant Item(const std::string& Tag, const std::string& Id, int32_t Instance);

  // 21. Property Get Value: MoveFirst, then Read; "" (not Null) when the
  // pair has no value. Trapped as "Value".
  Variant Value(const std::string& Tag, const std::string& Id);

  // 22. Moves the cursor past the current value to the pair's next one (or
  // past the end). Trapped as "MoveNext".
  void MoveNext(const std::string& Tag, const std::string& Id);

  // 23. One more than the highest instance number of (Tag, Id), 0 when it
  // has no value: not the number of values. Values 1, 2, 3 give 4, and so do
  // 1 and 3 after a Remove by value. Rewinds the cursor. Trapped as
  // "Get_Count" (0 after a reported failure).
  int32_t Count(const std::string& Tag, const std::string& Id);

  // 24. Reads the context file `filename` and appends its records after
  // those held. Three outcomes:
  //  - no such file: false; nothing changes but `changed`, set to false;
  //  - the file decodes: true, SaveLocation() becomes `filename`;
  //  - the file is damaged: under the file's ContextFileLock, it is renamed
  //    "<name>_corrupt(n)" (n the first free number), the user is told
  //    through ShowMessage, and the backup copy (BackupCopyPath) is decoded
  //    instead: when it decodes, it is copied back in the file's place (with
  //    the damaged file's owner, permissions and attributes, and the backup
  //    copy's date) and Load returns true; when it is missing or damaged too
  //    (it is then renamed "_corrupt(n)" in its own folder), the store is
  //    left empty and Load returns false. A symbolic link is followed: the
  //    file it leads to is set aside and restored, and the link stays.
  // Records read from a damaged file before the damage stay, followed by
  // the backup copy's; when the backup copy fails too, the whole store is
  // emptied, records held before the Load included. The file is logged (see log; a path holding
  // "CalibrationSettings.tmc" is logged as one short line). Within one Load
  // the instances of each pair must run 1, 2, 3, ...: a number that skips
  // ahead is logged and pulled back (the ShowText ids get empty fillers
  // instead), a number already used is dropped; such repairs set `changed`,
  // which is otherwise false after Load. Each event of the reader is trapped
  // as "ProcessXML", each record check as "ValidateLoadItem", each damaged
  // level reported as "DecodeXML" (HandleError(false, false, false)); any
  // other failure is trapped as "Load" with the stage "Initialize: <file>".
  // When memory runs out, the step that needed it fails with error 7 under
  // its own trap: a record that cannot be filed is left out and the Load
  // goes on with the next one; a failure outside the records is trapped as
  // "Load". Running out of memory never sets the file aside: only a text
  // the reader cannot decode does.
  // When the host's HandleError throws while Load reports a failure of one
  // record, Load takes the file for damaged, as the throw ends the reader's
  // pass: it sets the file aside and turns to the backup copy as above.
  // What HandleError throws while Load reports a failure trapped as "Load"
  // reaches the caller.
  bool Load(const std::string& filename);

  // 25. Writes the store to `filename` (or SaveLocation() when it is "";
  // a given name becomes the new SaveLocation) and a backup copy of the same
  // text to BackupCopyPath(filename), holding the file's ContextFileLock. A
  // bare name is the file in the current folder; a symbolic link is written
  // through (the file it leads to is replaced, the link stays). A read-only
  // file fails with 70 before anything else. Each copy last written on an
  // earlier day first gets its next numbered generation beside it, by a
  // second name that leaves the copy in place (a failure of that is
  // reported as RenameAsNextFileCycle reports, and Save goes on; names
  // beside the generations that the cycle does not write are left alone),
  // missing folders are made with MakeFolder, and each copy is replaced
  // atomically, keeping the replaced file's owner, permissions, access
  // control list and extended attributes: a failed or interrupted Save
  // leaves the old file whole, in place. Opening or creating the backup
  // copy gets a second try after Wait(1); a backup copy still not written
  // fails with the cause's number and the description "backup copy <path>
  // not written: <cause>", the file itself being saved. Sets `changed` to false and
  // logs the text (a file named "CalibrationSettings.tmc" as one short
  // line). Returns true when both copies were written. More than 32,767
  // records fail with overflow (6) before anything is written; no name at
  // all (none given, no SaveLocation) fails with error -1. Failures
  // are trapped as "Save", with WriteDetail("Save File: <path>") between
  // RegisterError and HandleError; Save then returns false and what was
  // already written stays.
  bool Save(const std::string& filename = "");

  // 26. Writes the whole context text as one log line, "Context log: <Id> "
  // followed by the file's text with each CR LF shown as "~" (only its
  // first 200 characters for the Id "CALIBRATION"). Trapped as "Log".
  void log(const std::string& Id);

  // 27. One event of the context file reader, as Load feeds them: 0 (start
  // tag `xmlTag`) starts a new record, dropping any unfinished one; 2
  // (attribute `attrOrElement` = `attrVal`) sets its id or instance; 1
  // (element text `attrOrElement`) decodes the value, checks the record as
  // Load does (outside a Load that check fails, is reported, and the record
  // is kept) and appends it under a new key. Events for the element
  // "context", in any letter case, are ignored. Trapped as "ProcessXML":
  // an event without a record to apply to (91), or an instance text that is
  // not a 16-bit number, is reported and the event abandoned.
  void ProcessXML(int16_t xmlPortion, const std::string& xmlTag,
                  const std::string& attrOrElement = "", const std::string& attrVal = "");

  // Form binding. A bound control carries in its own Tag property a
  // parameter text such as "id=FontSize; prop=Caption": `id` names the
  // setting, `prop` (optional) the property that holds its value. An id with
  // a "." names its own tag (the text before the first "."), any other id
  // belongs to `TagName`. Dictionary keys are tag + "." + id. Several values
  // (a multi-select list, the lines of a multi-line text box) travel as one
  // list text, the values separated by "`". Controls without an id are
  // skipped; see tamrel/forms.hpp for the controls and their properties.

  // 28. Removes every record of `TagName`, then stores the value of every
  // bound control of `myFrm` with Add (several values of one control, in
  // the control's order, each added in turn).
  // Trapped as "ExtractTagsFromForm".
  void ExtractTagsFromForm(const std::string& TagName, Form& myFrm);

  // 29. Puts the value of every bound control into `cln` under its key
  // (through setScrDictionaryVal) and sets `changed` to true when any
  // differs from what `cln` held (false is never written back). The store is
  // not touched. Trapped as "ExtractTagsFromFormToCollection".
  void ExtractTagsFromFormToCollection(const std::string& TagName, Form& myFrm, Dictionary& cln,
                                       bool& changed);

  // 30. Sets `cln`[Key] to `val`, adding the key when missing, and sets
  // `changed` to true when the entry was missing or held another value.
  // Raises: not trapped.
  void setScrDictionaryVal(Dictionary& cln, const std::string& Key, const Variant& val,
                           bool& changed);

  // 31. Stores every entry of `cln` with Add under its key's tag and id (a
  // key without "." belongs to `TagName`), a list text as one value per
  // element, the first element newest, keeping as many as the list holds.
  // `cln` is only read. Trapped as "BuildFromCollection".
  void BuildFromCollection(const std::string& TagName, Dictionary& cln);

  // 32. Fills every bound control of `myFrm` from the store (reading through
  // Value and the cursor loop, so the pair's cursors move) and records in
  // `cln` what each control was given, for a later
  // ExtractTagsFromFormToCollection to compare against. The store is not
  // changed. Trapped as "PopulateFormFromTags".
  void PopulateFormFromTags(const std::string& TagName, Form& myFrm, Dictionary& cln);

  // 33. Renames `strFilename` ("Setup.tmc") to its next numbered generation
  // beside it ("Setup(n).tmc", n one above the highest found, file names
  // compared without regard to letter case), first deleting the oldest
  // generations so that `intRetainCycles` remain with the renamed one. A
  // missing file (53) or a taken name (58) ends it silently; any other
  // failure is trapped as "RenameAsNextFileCycle".
  void RenameAsNextFileCycle(const std::string& strFilename, int16_t intRetainCycles);

  // Value helpers. The store keeps booleans as the words "True" and
  // "False"; the system's own boolean words may be another language's (see
  // platform::Hooks::boolean_words).

  // 34. Whether `val` is a boolean: a Boolean, or a text the system reads as
  // one (its own words, any letter case), or "True"/"False" on a system
  // whose words differ. Numbers and dates are not. Never raises.
  bool isBoolean(const Variant& val);

  // 35. Whether `val` is not exactly the text "True" or "False". Never
  // raises.
  bool isBadBoolean(const Variant& val);

  // 36. "True" or "False" for a Boolean or a boolean text (MYcBool), "False"
  // for anything else. Raises: not trapped.
  std::string cBoolStr(const Variant& val);

  // 37. The smallest element of a one-dimensional array, compared with the
  // variant rules (numbers before texts), from index 0 up. Raises 9 for an
  // array without an element 0. Not trapped. Declared, and best called, as
  // `(min)`, so that the min macro of <windows.h> (without NOMINMAX) leaves
  // it alone: `(context->min)(values)`.
  Variant(min)(const VariantArray& vals);

  // 38. Creates the folder `path` and every missing folder above it; true
  // when made. Raises (not trapped): 58 when `path` already exists, 5 for a
  // path without a separator, any failure of `fso`.
  bool MakeFolder(FileSystemObject& fso, const std::string& path);

  // 39. Waits `interval` seconds (across midnight too), pumping the
  // platform's messages (platform hooks) while it waits. Not trapped.
  void Wait(float interval);

  // 40. The boolean `val` stands for: the system's conversion, else "True"
  // on a system whose words differ; false for anything else. Never raises.
  bool MYcBool(const Variant& val);

  // 41. Makes this context the user preferences of application `strAppl`:
  // names it "User", makes sure the folder of `strAppl` below special folder
  // 26 exists and can be written (when it cannot, lets the user choose
  // folders through the platform's folder chooser until one can, with a
  // warning in the platform's message box for each that cannot),
  // then loads "UserPreferences.tmc" from it, or, when there is nothing to
  // load, makes that file SaveLocation() so that Save creates it. A folder
  // that had to be created is new, so nothing is loaded from it. Returns
  // false on every path, as the hosts that call it expect: look at
  // SaveLocation() and the values instead. Trapped as "GetUserPreferences"
  // (what was done before the failure stays).
  bool GetUserPreferences(const std::string& strAppl);

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
TAMREL_EXPORT ObjectRef CreateObject(const std::string& progId);

// The application title of the current thread: "Tamrel" until Appl replaces it.
TAMREL_EXPORT std::string ApplicationTitle();

}  // namespace tamrel
