// ReferenceStore: a plain tag store used as an oracle. Records live in a
// vector that every operation scans position by position, with no index;
// host calls are kept as text. Header-only so that the benchmarks can time it
// as a baseline.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::testing {

struct ModelRecord {
  std::string tag, id;
  int16_t instance = 0;
  std::string value, key;
};

// Host calls as "op[arg][arg]...#number source: description" of the
// current error.
struct ModelHost {
  std::vector<std::string> calls;

  static std::string Format(const std::string& op, const std::vector<std::string>& args,
                            const ErrorInfo& error) {
    std::string call = op;
    for (const std::string& arg : args) call += "[" + arg + "]";
    return call + "#" + std::to_string(error.number) + " " + error.source + ": " +
           error.description;
  }
  void Call(const std::string& op, const std::vector<std::string>& args,
            const ErrorInfo& error = {}) {
    calls.push_back(Format(op, args, error));
  }
};

// Without a host (the benchmarks) no operation may fail or report.
class ReferenceStore {
  using S = const std::string&;

 public:
  // The text a new record keeps for a value.
  using TextOf = std::function<std::string(const Variant&)>;

  ReferenceStore(TextOf text_of, std::shared_ptr<ModelHost> host)
      : text_of_(std::move(text_of)), host_(std::move(host)) {}

  std::vector<ModelRecord> items;
  std::map<std::string, int32_t> cursors;
  int64_t key_counter = 0;
  bool changed = false;
  std::string name;

  void Add(S tag, S id, const Variant& inp_val, int16_t max_count = 4, S link_id = "") {
    Trap("Add", [&] {
      const Variant v = inp_val.IsNull() ? Variant(std::string()) : inp_val;
      changed = true;
      if (tag.empty() || tag == "context" || id.empty()) {
        const std::string message = "Attempt to make illegal context param.";
        host_->Call("ShowMessage",
                    {message + "\r\n\r\nTAG, ID values are: " + tag + ", " + id, "0", "", "", "0"});
        Raise(errc::kIllegalContextParam, message, "ContextCls/Add");
      }
      // A string is compared as given, any other value by its text.
      const std::string new_text = v.IsString() ? v.AsString() : text_of_(v);
      std::vector<std::string> dropped;
      int32_t n = 2;
      for (std::size_t p = 0; p < items.size(); ++p) {
        ModelRecord& r = items[p];
        if (r.tag != tag || r.id != id) continue;
        if (n <= max_count) {
          r.instance = static_cast<int16_t>(n++);
          continue;
        }
        if (r.value != new_text) dropped.push_back(r.value);
        EraseAt(p--);
      }
      items.insert(items.begin(), ModelRecord{tag, id, 1, text_of_(v), NextKey()});
      const std::vector<std::string> linked = Linked(link_id);
      for (const std::string& d : link_id.empty() ? std::vector<std::string>{} : dropped) {
        for (std::size_t p = items.size() - 1; p >= 1; --p) {  // never the new record
          if (items[p].id == d && std::count(linked.begin(), linked.end(), items[p].tag)) {
            EraseAt(p);
          }
        }
      }
    });
  }

  void Value(S tag, S id, const Variant& val) { Add(tag, id, val, 1, ""); }

  void MoveFirst(S tag, S id) {
    int32_t& cursor = cursors[tag + "_" + id] = 1;
    if (!Scan(tag, id, cursor) || items[Index(cursor)].instance == 1) return;
    host_->Call("WriteLog", {"Tamrel/ContextCls/MoveFirst MoveFirst (" + name +
                             ") instance not 1 : Tag: " + tag + " Id: " + id +
                             " Instance: " + std::to_string(items[Index(cursor)].instance)});
  }

  // Only Add can fail (the model's host never does).
  bool Eof(S tag, S id) { return !Scan(tag, id, CursorOr(tag, id, 1)); }
  Variant Read(S tag, S id) { return Found(tag, id, CursorOr(tag, id, 1)); }
  void MoveNext(S tag, S id) { Scan(tag, id, ++CursorOr(tag, id, 0)); }
  Variant Item(S tag, S id, int32_t instance) {
    return Found(tag, id, CursorOr(tag, id, 1) = 1, instance);
  }
  bool Exists(S tag, S id) { return Scan(tag, id, cursors[tag + "_" + id] = 1); }
  int32_t Count(S tag, S id) {
    cursors[tag + "_" + id] = 1;
    int32_t highest = -1;
    for (const ModelRecord& r : items) {
      if (r.tag == tag && r.id == id) highest = std::max<int32_t>(highest, r.instance);
    }
    return highest + 1;
  }

  Variant Value(S tag, S id) {
    MoveFirst(tag, id);
    return Eof(tag, id) ? Variant(std::string()) : Read(tag, id);
  }

  // String arguments only.
  void Remove(S tag, const std::optional<Variant>& id = {},
              const std::optional<Variant>& str_value = {}) {
    changed = true;
    for (std::size_t p = items.size(); p-- > 0;) {  // from the last record down
      const ModelRecord& r = items[p];
      if (r.tag == tag &&
          (!id || (r.id == id->AsString() && (!str_value || r.value == str_value->AsString())))) {
        EraseAt(p);
      }
    }
  }

 private:
  template <class Body>
  void Trap(S location, Body&& body) {
    ErrorInfo error;
    try {
      body();
      return;
    } catch (const Error& failure) {
      error = {failure.number(), failure.source(), failure.description()};
    }
    host_->Call("RegisterError", {"Tamrel/ContextCls/" + location, "Initialize"}, error);
    host_->Call("HandleError", {"True", "True", "False"}, error);
  }

  std::string NextKey() { return "A" + std::to_string(++key_counter); }
  static std::size_t Index(int32_t position) { return static_cast<std::size_t>(position - 1); }
  void EraseAt(std::size_t p) { items.erase(items.begin() + static_cast<std::ptrdiff_t>(p)); }
  int32_t& CursorOr(S tag, S id, int32_t initial) {
    return cursors.try_emplace(tag + "_" + id, initial).first->second;
  }

  // From the cursor to the end: the first match (of `instance`, if given)
  // becomes the cursor, else the count + 1.
  bool Scan(S tag, S id, int32_t& cursor, std::optional<int32_t> instance = {}) const {
    const auto n = static_cast<int32_t>(items.size());
    for (cursor = std::max(cursor, 1); cursor <= n; ++cursor) {
      const ModelRecord& r = items[Index(cursor)];
      if (r.tag == tag && r.id == id && (!instance || r.instance == *instance)) return true;
    }
    cursor = n + 1;
    return false;
  }

  Variant Found(S tag, S id, int32_t& cursor, std::optional<int32_t> instance = {}) const {
    return Scan(tag, id, cursor, instance) ? Variant(items[Index(cursor)].value) : Variant::Null();
  }

  // The tags after each apostrophe of a link id, trimmed of spaces.
  static std::vector<std::string> Linked(S link_id) {
    std::vector<std::string> tags;
    for (std::size_t at = link_id.find('\''); at != std::string::npos;) {
      const std::size_t next = link_id.find('\'', at + 1);
      std::string piece = link_id.substr(at + 1, next == std::string::npos ? next : next - at - 1);
      piece.erase(0, piece.find_first_not_of(' '));
      tags.push_back(piece.erase(piece.find_last_not_of(' ') + 1));
      at = next;
    }
    return tags;
  }

  TextOf text_of_;
  std::shared_ptr<ModelHost> host_;
};

}  // namespace tamrel::testing
