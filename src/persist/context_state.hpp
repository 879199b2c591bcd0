// The instance state of a context, shared by the layers from persist up
// that implement its members: the store and its cursors, the host slot its
// traps report to, and what a Load keeps while it reads. It knows nothing of
// ContextCls itself (context/state_of.hpp reaches it from an object).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "automation/error_trap.hpp"
#include "persist/load_instances.hpp"
#include "store/context_item.hpp"
#include "store/read_cursor.hpp"
#include "store/tag_store.hpp"

namespace tamrel::detail {

// The host slot is its base, so that a trap is given the state itself.
struct ContextState : HostSlot {
  TagStore items;
  CursorTable cursors;
  std::string name;
  std::string save_location;
  bool changed = false;
  // Behind the keys A1, A2, ...; never reset while the object lives.
  int64_t key_counter = 0;
  // The record between its start tag and its element text while reading,
  // when has_current_item. Kept from one record to the next, so that
  // reading a file allocates nothing per record.
  ContextItem current_item;
  bool has_current_item = false;
  // Counts ProcessXML events: a record whose count is unchanged since a
  // step was taken has not been changed by events from host code meanwhile.
  uint64_t xml_events = 0;
  // Instance numbers accepted during the current Load; null outside Load.
  // The Load's scope owns the table, so a check under way can tell, by the
  // pointer, whether host code it called ended the Load's use of it.
  LoadInstances* load_instances = nullptr;
};

// NextItemKey: advances the key counter and returns it. The new record's key
// is "A" followed by this number (A1, A2, ...; never reused while the object
// lives); records keep the number rather than the text.
inline int64_t NextItemKey(ContextState& state) { return ++state.key_counter; }

}  // namespace tamrel::detail
