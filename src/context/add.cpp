// Add and Property Let Value: the public way values enter the store. The
// store keeps the values newest first (store/newest_first.hpp); what is
// bound here is the check of the key, the text a value is stored as, and
// the error convention.
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "store/linked_tags.hpp"
#include "store/newest_first.hpp"
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
  bool Differs(std::string_view dropped) const {
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

}  // namespace

void ContextCls::Add(const std::string& Tag, const std::string& Id, const Variant& inpVal,
                     int16_t maxCount, const std::string& linkId) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Add", [&] {
    const Variant value = inpVal.IsNull() ? Variant(std::string()) : inpVal;
    state.changed = true;
    if (IsIllegalParam(Tag, Id)) RefuseIllegalParam(state, Tag, Id);

    StoredText text(*this, value);
    const std::vector<std::string> dropped = detail::RenumberAndDrop(
        state.items, Tag, Id, maxCount,
        [&](std::string_view old_value) { return text.Differs(old_value); });

    detail::ContextItem item{Tag, Id, 1, text.Take(), detail::NextItemKey(state)};
    const int64_t new_key = item.Key;
    state.items.PushFront(std::move(item));

    if (!linkId.empty() && !dropped.empty()) {
      detail::RemoveLinked(state.items, detail::LinkedTags(linkId), dropped, new_key);
    }
  });
}

void ContextCls::Value(const std::string& Tag, const std::string& Id, const Variant& val) {
  Add(Tag, Id, val, 1, "");
}

}  // namespace tamrel
