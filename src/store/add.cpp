// Add and Property Let Value: the public way values enter the store.
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "context/context_state.hpp"
#include "context/error_trap.hpp"
#include "store/linked_tags.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
namespace {

constexpr std::string_view kIllegalParam = "Attempt to make illegal context param.";

bool IsIllegalParam(const std::string& tag, const std::string& id) {
  return tag.empty() || tag == "context" || id.empty();
}

// Tells the user, then fails with the library's own error.
[[noreturn]] void RefuseIllegalParam(detail::ContextState& state, const std::string& tag,
                                     const std::string& id) {
  detail::Host(state).ShowMessage(
      std::string(kIllegalParam) + "\r\n\r\nTAG, ID values are: " + tag + ", " + id, 0, "", "", 0);
  Raise(errc::kIllegalContextParam, std::string(kIllegalParam), "ContextCls/Add");
}

// The text a new record keeps for `value`, or the failure that making it
// raised (kept until the record is made, so that renumbering and dropping
// happen first, as they would if the text were made in its own step).
class StoredText {
 public:
  StoredText(ContextCls& context, const Variant& value) : value_(value) {
    try {
      text_ = context.isBoolean(value) ? context.cBoolStr(value) : CStr(value);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  // Whether a dropped value counts as different from the new one: texts are
  // compared exactly; any other new value by the text it is stored as, and
  // one without a text form differs from everything.
  bool Differs(const std::string& dropped) const {
    if (value_.IsString()) return dropped != value_.AsString();
    return failure_ != nullptr || dropped != text_;
  }

  std::string Take() {
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    return std::move(text_);
  }

 private:
  const Variant& value_;
  std::string text_;
  std::exception_ptr failure_;
};

// Renumbers the older values of (tag, id) from 2 and removes those beyond
// `max_count`; returns the removed values that differ from the new one.
std::vector<std::string> RenumberAndDrop(detail::TagStore& items, const std::string& tag,
                                         const std::string& id, int16_t max_count,
                                         const StoredText& new_value) {
  std::vector<std::string> dropped;
  int32_t next = 2;
  items.RemoveIf(tag, id, [&](const detail::ItemRef& item) {
    if (next <= max_count) {
      item.Instance = static_cast<int16_t>(next++);
      return false;
    }
    if (new_value.Differs(item.Value)) dropped.push_back(std::move(item.Value));
    return true;
  });
  return dropped;
}

// Removes the records of the linked tags whose Id is a dropped value, except
// the record just added.
void RemoveLinked(detail::TagStore& items, const std::vector<std::string>& linked_tags,
                  const std::vector<std::string>& dropped, int64_t new_key) {
  for (const std::string& value : dropped) {
    for (const std::string& tag : linked_tags) {
      items.RemoveIf(tag, value, [&](const detail::ItemRef& item) { return item.Key != new_key; });
    }
  }
}

}  // namespace

void ContextCls::Add(const std::string& Tag, const std::string& Id, const Variant& inpVal,
                     int16_t maxCount, const std::string& linkId) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Add", [&] {
    const Variant value = inpVal.IsNull() ? Variant(std::string()) : inpVal;
    state.changed = true;
    if (IsIllegalParam(Tag, Id)) RefuseIllegalParam(state, Tag, Id);

    StoredText text(*this, value);
    const std::vector<std::string> dropped = RenumberAndDrop(state.items, Tag, Id, maxCount, text);

    detail::ContextItem item{Tag, Id, 1, text.Take(), detail::NextItemKey(state)};
    const int64_t new_key = item.Key;
    state.items.PushFront(std::move(item));

    if (!linkId.empty() && !dropped.empty()) {
      RemoveLinked(state.items, detail::LinkedTags(linkId), dropped, new_key);
    }
  });
}

void ContextCls::Value(const std::string& Tag, const std::string& Id, const Variant& val) {
  Add(Tag, Id, val, 1, "");
}

}  // namespace tamrel
