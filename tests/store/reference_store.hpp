// ReferenceStore: a plain, obviously correct tag store used as an oracle.
//
// Records live in a vector; every operation scans it position by position
// exactly as the store's operations are described (Add renumbers in store
// order, Remove walks from the last position down, the forward scan walks
// from the cursor to the end), with no index. The host it reports to is a
// ModelHost that records the calls a RecordingHost would see, so a test can
// compare results, host calls and the final store with a real ContextCls.
//
// Header-only so that the benchmarks can time it as a baseline too.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
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
  std::string tag;
  std::string id;
  int16_t instance = 0;
  std::string value;
  std::string key;
  bool operator==(const ModelRecord&) const = default;
};

// One host call as RecordingHost records it: the operation, its arguments as
// texts, and the number of the current error at the time of the call.
struct ModelCall {
  std::string op;
  std::vector<std::string> args;
  int32_t error = 0;
  bool operator==(const ModelCall&) const = default;
};

// The host: records calls and fails chosen operations like RecordingHost.
struct ModelHost {
  std::vector<ModelCall> calls;
  std::map<std::string, std::pair<int32_t, int>> failures;  // op -> (number, remaining; -1 ever)

  void Call(const std::string& op, std::vector<std::string> args, int32_t current_error = 0) {
    calls.push_back(ModelCall{op, std::move(args), current_error});
    auto failure = failures.find(op);
    if (failure == failures.end() || failure->second.second == 0) return;
    if (failure->second.second > 0) --failure->second.second;
    Raise(failure->second.first, "model host: " + op + " failed on purpose");
  }
};

class ReferenceStore {
 public:
  // The text a new record keeps for a value (the Boolean words for
  // booleans, else the value's text form); may throw.
  using TextOf = std::function<std::string(const Variant&)>;

  ReferenceStore(TextOf text_of, std::shared_ptr<ModelHost> host)
      : text_of_(std::move(text_of)), host_(std::move(host)) {}

  std::vector<ModelRecord> items;
  std::map<std::string, int32_t> cursors;
  int64_t key_counter = 0;
  bool changed = false;
  std::string name;

  void SetHost(std::shared_ptr<ModelHost> host) { host_ = std::move(host); }

  // --- Add and Value ---------------------------------------------------------

  void Add(const std::string& tag, const std::string& id, const Variant& inp_val,
           int16_t max_count = 4, const std::string& link_id = "") {
    Trap("Add", [&] {
      const Variant v = inp_val.IsNull() ? Variant(std::string()) : inp_val;
      changed = true;
      if (tag.empty() || tag == "context" || id.empty()) {
        Host().Call(
            "ShowMessage",
            {"Attempt to make illegal context param.\r\n\r\nTAG, ID values are: " + tag + ", " + id,
             "0", "", "", "0"});
        Raise(errc::kIllegalContextParam, "Attempt to make illegal context param.",
              "ContextCls/Add");
      }
      std::vector<std::string> dropped;
      int32_t n = 2;
      for (std::size_t p = 0; p < items.size();) {
        ModelRecord& r = items[p];
        if (r.tag == tag && r.id == id) {
          if (n <= max_count) {
            r.instance = static_cast<int16_t>(n);
            ++n;
          } else {
            if (DroppedDiffers(r.value, v)) dropped.push_back(r.value);
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(p));
            continue;
          }
        }
        ++p;
      }
      ModelRecord fresh{tag, id, 1, text_of_(v), ""};
      fresh.key = NextKey();
      items.insert(items.begin(), fresh);
      if (link_id.empty()) return;
      const std::vector<std::string> linked = Linked(link_id);
      for (const std::string& d : dropped) {
        for (std::size_t p = items.size(); p >= 2; --p) {
          const ModelRecord& r = items[p - 1];
          if (IsOneOf(r.tag, linked) && r.id == d) {
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(p - 1));
          }
        }
      }
    });
  }

  void Value(const std::string& tag, const std::string& id, const Variant& val) {
    Add(tag, id, val, 1, "");
  }

  // --- Reading -----------------------------------------------------------------

  void MoveFirst(const std::string& tag, const std::string& id) {
    Trap("MoveFirst", [&] {
      cursors[tag + "_" + id] = 1;
      if (Eof(tag, id)) return;
      const ModelRecord& r = items[static_cast<std::size_t>(cursors[tag + "_" + id] - 1)];
      if (r.instance != 1) {
        Host().Call("WriteLog", {"Tamrel/ContextCls/MoveFirst MoveFirst (" + name +
                                 ") instance not 1 : Tag: " + tag + " Id: " + id +
                                 " Instance: " + std::to_string(r.instance)});
      }
    });
  }

  bool Eof(const std::string& tag, const std::string& id) {
    bool result = false;
    Trap("EOF", [&] { result = !Scan(tag, id, CursorOr(tag, id, 1)); });
    return result;
  }

  Variant Read(const std::string& tag, const std::string& id) {
    Variant result;
    Trap("Read", [&] {
      int32_t& cursor = CursorOr(tag, id, 1);
      result = Scan(tag, id, cursor) ? Variant(items[static_cast<std::size_t>(cursor - 1)].value)
                                     : Variant::Null();
    });
    return result;
  }

  void MoveNext(const std::string& tag, const std::string& id) {
    Trap("MoveNext", [&] {
      int32_t& cursor = CursorOr(tag, id, 0);
      cursor += 1;
      Scan(tag, id, cursor);
    });
  }

  Variant Item(const std::string& tag, const std::string& id, int32_t instance) {
    Variant result;
    Trap("Item", [&] {
      int32_t& cursor = CursorOr(tag, id, 1);
      cursor = 1;
      result = Scan(tag, id, cursor, instance)
                   ? Variant(items[static_cast<std::size_t>(cursor - 1)].value)
                   : Variant::Null();
    });
    return result;
  }

  Variant Value(const std::string& tag, const std::string& id) {
    Variant result;
    Trap("Value", [&] {
      MoveFirst(tag, id);
      result = Eof(tag, id) ? Variant(std::string()) : Read(tag, id);
    });
    return result;
  }

  bool Exists(const std::string& tag, const std::string& id) {
    bool result = false;
    Trap("Exists", [&] {
      cursors[tag + "_" + id] = 1;
      result = !Eof(tag, id);
    });
    return result;
  }

  int32_t Count(const std::string& tag, const std::string& id) {
    int32_t result = 0;
    Trap("Get_Count", [&] {
      cursors[tag + "_" + id] = 1;
      int32_t highest = -1;
      for (const ModelRecord& r : items) {
        if (r.tag == tag && r.id == id && r.instance > highest) highest = r.instance;
      }
      result = highest + 1;
    });
    return result;
  }

  // --- Remove, Clear, CloneAdd, Clone, Copy ------------------------------------

  void Remove(const std::string& tag, const std::optional<Variant>& id = {},
              const std::optional<Variant>& str_value = {}) {
    Trap("Remove", [&] {
      changed = true;
      for (std::size_t p = items.size(); p >= 1; --p) {
        const ModelRecord& r = items[p - 1];
        bool remove = false;
        if (r.tag != tag) {
          remove = false;
        } else if (!id) {
          remove = true;
        } else if (r.id != ArgumentText(*id)) {
          remove = false;
        } else if (!str_value) {
          remove = true;
        } else {
          remove = r.value == ArgumentText(*str_value);
        }
        if (remove) items.erase(items.begin() + static_cast<std::ptrdiff_t>(p - 1));
      }
    });
  }

  void Clear() {
    Trap("Clear", [&] { items.clear(); });
  }

  void CloneAdd(const std::string& tag, const std::string& id, const std::string& val,
                int32_t instance) {
    Trap("CloneAdd", [&] {
      if (instance < std::numeric_limits<int16_t>::min() ||
          instance > std::numeric_limits<int16_t>::max()) {
        Raise(errc::kOverflow);
      }
      ModelRecord r{tag, id, static_cast<int16_t>(instance), val, ""};
      r.key = NextKey();
      items.push_back(r);
    });
  }

  // An empty `target` becomes a new store without a host.
  void Clone(std::shared_ptr<ReferenceStore>& target) {
    Trap("Clone", [&] {
      if (target) {
        target->Clear();
      } else {
        target = std::make_shared<ReferenceStore>(text_of_, nullptr);
      }
      const std::vector<ModelRecord> records = items;
      for (const ModelRecord& r : records) target->CloneAdd(r.tag, r.id, r.value, r.instance);
    });
  }

  void Copy(const std::shared_ptr<ReferenceStore>& target, const std::string& tag) {
    Trap("Copy", [&] {
      if (!target) Raise(errc::kObjectNotSet);
      target->Remove(tag);
      std::vector<ModelRecord> records;
      for (const ModelRecord& r : items) {
        if (r.tag == tag) records.push_back(r);
      }
      for (const ModelRecord& r : records) target->CloneAdd(r.tag, r.id, r.value, r.instance);
    });
  }

 private:
  ModelHost& Host() {
    if (!host_) Raise(errc::kObjectNotSet);
    return *host_;
  }

  // The error convention: report to the host and return; without a host the
  // report itself fails with 91, which goes on to the caller.
  template <class Body>
  void Trap(const std::string& location, Body&& body) {
    int32_t number = 0;
    try {
      body();
      return;
    } catch (const Error& failure) {
      number = failure.number();
    }
    Host().Call("RegisterError", {"Tamrel/ContextCls/" + location, "Initialize"}, number);
    Host().Call("HandleError", {"True", "True", "False"}, number);
  }

  std::string NextKey() { return "A" + std::to_string(++key_counter); }

  int32_t& CursorOr(const std::string& tag, const std::string& id, int32_t initial) {
    return cursors.try_emplace(tag + "_" + id, initial).first->second;
  }

  // From the cursor to the last position; the first match (with the given
  // instance, when one is given) becomes the cursor, else n + 1.
  bool Scan(const std::string& tag, const std::string& id, int32_t& cursor,
            std::optional<int32_t> instance = {}) const {
    const auto n = static_cast<int32_t>(items.size());
    for (int32_t p = std::max(cursor, 1); p <= n; ++p) {
      const ModelRecord& r = items[static_cast<std::size_t>(p - 1)];
      if (r.tag == tag && r.id == id && (!instance || r.instance == *instance)) {
        cursor = p;
        return true;
      }
    }
    cursor = n + 1;
    return false;
  }

  bool DroppedDiffers(const std::string& dropped, const Variant& v) const {
    if (v.IsString()) return dropped != v.AsString();
    try {
      return dropped != text_of_(v);
    } catch (const Error&) {
      return true;
    }
  }

  static std::string ArgumentText(const Variant& argument) {
    return argument.IsString() ? argument.AsString() : CStr(argument);
  }

  static std::vector<std::string> Linked(const std::string& link_id) {
    std::vector<std::string> pieces{""};
    for (char c : link_id) {
      if (c == '\'') {
        pieces.emplace_back();
      } else {
        pieces.back() += c;
      }
    }
    std::vector<std::string> tags;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
      std::string piece = pieces[i];
      while (!piece.empty() && piece.front() == ' ') piece.erase(piece.begin());
      while (!piece.empty() && piece.back() == ' ') piece.pop_back();
      tags.push_back(piece);
    }
    return tags;
  }

  static bool IsOneOf(const std::string& text, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) {
      if (t == text) return true;
    }
    return false;
  }

  TextOf text_of_;
  std::shared_ptr<ModelHost> host_;
};

}  // namespace tamrel::testing
