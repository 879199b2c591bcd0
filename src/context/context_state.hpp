// The instance state of a ContextCls object, shared by the subsystems that
// implement its members.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "persist/load_instances.hpp"
#include "store/context_item.hpp"
#include "store/tag_store.hpp"
#include "tamrel/context.hpp"
#include "tamrel/host.hpp"

namespace tamrel::detail {

struct ContextState {
  TagStore items;
  // Read cursors: Tag + "_" + Id -> 1-based position in `items`.
  std::unordered_map<std::string, int32_t> cursors;
  std::shared_ptr<HostApplication> host_app;
  std::string name;
  std::string save_location;
  bool changed = false;
  // Behind the keys A1, A2, ...; never reset while the object lives.
  int64_t key_counter = 0;
  // The record between its start tag and its element text while reading.
  std::optional<ContextItem> current_item;
  // Instance numbers accepted during the current Load ("Tag$$Id" -> number);
  // absent outside Load. Shared: a check under way keeps the table it
  // files into while host code it calls may end the Load's use of it.
  std::shared_ptr<LoadInstances> load_instances;
};

// Access to a context's state for the subsystems' own code.
struct ContextAccess {
  static ContextState& State(ContextCls& context) { return *context.state_; }
  static const ContextState& State(const ContextCls& context) { return *context.state_; }
};

inline ContextState& StateOf(ContextCls& context) { return ContextAccess::State(context); }

// The host application object; error 91 when none was set.
HostApplication& Host(ContextState& state);

// NextItemKey: advances the key counter and returns it. The new record's key
// is "A" followed by this number (A1, A2, ...; never reused while the object
// lives); records keep the number rather than the text.
inline int64_t NextItemKey(ContextState& state) { return ++state.key_counter; }

}  // namespace tamrel::detail
