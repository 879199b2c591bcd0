// Remove and Clear: taking records out of the store. Neither renumbers the
// instances that stay, nor moves any read cursor.
#include <optional>
#include <string>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "tamrel/context.hpp"

namespace tamrel {
namespace {

// How Remove compares an Id or value argument with a record's text: a text
// exactly, anything else by its text form (Null has none: error 94).
std::string ComparedText(const Variant& argument) {
  return argument.IsString() ? argument.AsString() : CStr(argument);
}

}  // namespace

void ContextCls::Remove(const std::string& Tag, std::optional<Variant> Id,
                        std::optional<Variant> strValue) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Remove", [&] {
    state.changed = true;
    // The arguments are converted only when a record needs comparing with
    // them, so an unconvertible one fails only where a record would match.
    if (!state.items.HasTag(Tag)) return;
    if (!Id.has_value()) {
      state.items.RemoveTag(Tag);
      return;
    }
    const std::string id = ComparedText(*Id);
    if (state.items.FindFrom(Tag, id, 1) == 0) return;
    if (!strValue.has_value()) {
      state.items.RemoveIf(Tag, id, [](const detail::ItemRef&) { return true; });
      return;
    }
    const std::string value = ComparedText(*strValue);
    state.items.RemoveIf(Tag, id, [&](const detail::ItemRef& item) { return item.Value == value; });
  });
}

void ContextCls::Clear() {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Clear", [&] { state.items.Clear(); });
}

}  // namespace tamrel
