// Reading the store: the cursor loop MoveFirst / EOF / Read / MoveNext, and
// Item, Property Get Value, Exists and Count.
#include <cstdint>
#include <limits>
#include <string>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "store/read_cursor.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
namespace {

std::string InstanceWarning(const std::string& name, const std::string& tag, const std::string& id,
                            int16_t instance) {
  return std::string(detail::kLocationPrefix) + "MoveFirst MoveFirst (" + name +
         ") instance not 1 : Tag: " + tag + " Id: " + id + " Instance: " + std::to_string(instance);
}

}  // namespace

void ContextCls::MoveFirst(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "MoveFirst", [&] {
    detail::RewindCursor(state.cursors, Tag, Id);
    if (Eof(Tag, Id)) return;
    const int32_t cursor = detail::CursorOf(state.cursors, Tag, Id, 1);
    if (cursor < 1 || cursor > state.items.Count()) return;
    const detail::ItemView found = state.items.At(cursor);
    if (found.Instance != 1) {
      detail::Host(state).WriteLog(InstanceWarning(state.name, Tag, Id, found.Instance));
    }
  });
}

bool ContextCls::Eof(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  bool result = false;
  detail::Trapped(state, "EOF", [&] {
    int32_t& cursor = detail::CursorOf(state.cursors, Tag, Id, 1);
    result = !detail::ScanForward(state.items, Tag, Id, cursor);
  });
  return result;
}

Variant ContextCls::Read(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  Variant result;
  detail::Trapped(state, "Read", [&] {
    int32_t& cursor = detail::CursorOf(state.cursors, Tag, Id, 1);
    result = detail::ScanForward(state.items, Tag, Id, cursor)
                 ? Variant(std::string(state.items.At(cursor).Value))
                 : Variant::Null();
  });
  return result;
}

void ContextCls::MoveNext(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "MoveNext", [&] {
    int32_t& cursor = detail::CursorOf(state.cursors, Tag, Id, 0);
    if (cursor == std::numeric_limits<int32_t>::max()) Raise(errc::kOverflow);
    ++cursor;
    detail::ScanForward(state.items, Tag, Id, cursor);
  });
}

Variant ContextCls::Item(const std::string& Tag, const std::string& Id, int32_t Instance) {
  detail::ContextState& state = *state_;
  Variant result;
  detail::Trapped(state, "Item", [&] {
    int32_t& cursor = detail::CursorOf(state.cursors, Tag, Id, 1);
    cursor = 1;
    const int32_t found = state.items.FindFirst(
        Tag, Id, [&](const detail::ItemView& item) { return item.Instance == Instance; });
    cursor = found != 0 ? found : state.items.Count() + 1;
    result = found != 0 ? Variant(std::string(state.items.At(found).Value)) : Variant::Null();
  });
  return result;
}

Variant ContextCls::Value(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  Variant result;
  detail::Trapped(state, "Value", [&] {
    MoveFirst(Tag, Id);
    result = Eof(Tag, Id) ? Variant(std::string()) : Read(Tag, Id);
  });
  return result;
}

bool ContextCls::Exists(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  bool result = false;
  detail::Trapped(state, "Exists", [&] {
    // The negation of EOF from a cursor set to 1. EOF's scan cannot fail, so
    // running it here on the cursor just set gives what calling EOF would, at
    // one cursor lookup instead of two.
    int32_t& cursor = detail::CursorOf(state.cursors, Tag, Id, 1);
    cursor = 1;
    result = detail::ScanForward(state.items, Tag, Id, cursor);
  });
  return result;
}

int32_t ContextCls::Count(const std::string& Tag, const std::string& Id) {
  detail::ContextState& state = *state_;
  int32_t result = 0;
  detail::Trapped(state, "Get_Count", [&] {
    detail::RewindCursor(state.cursors, Tag, Id);
    int32_t highest = -1;
    state.items.ForEachOf(Tag, Id, [&](const detail::ItemView& item) {
      if (item.Instance > highest) highest = item.Instance;
    });
    result = highest + 1;
  });
  return result;
}

}  // namespace tamrel
