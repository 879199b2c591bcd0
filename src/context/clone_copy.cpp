// CloneAdd, Clone, Copy and Dump: copying records between contexts.
//
// Clone and Copy work through the target's public Clear, Remove and CloneAdd,
// so a failure inside the target is reported by the target's own trap and the
// copy goes on; a target that cannot report (no host application object)
// lets the failure stop the copy, reported under Clone or Copy.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
namespace {

int16_t InstanceNumber(int32_t instance) {
  if (instance < std::numeric_limits<int16_t>::min() ||
      instance > std::numeric_limits<int16_t>::max()) {
    Raise(errc::kOverflow);
  }
  return static_cast<int16_t>(instance);
}

// The records are copied out before the target is called: the target may be
// this very object.
void CloneAddAll(ContextCls& target, const std::vector<detail::ContextItem>& records) {
  for (const detail::ContextItem& record : records) {
    target.CloneAdd(record.Tag, record.Id, record.Value, record.Instance);
  }
}

}  // namespace

void ContextCls::CloneAdd(const std::string& Tag, const std::string& Id, const std::string& val,
                          int32_t Instance) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "CloneAdd", [&] {
    detail::ContextItem item{Tag, Id, InstanceNumber(Instance), val, detail::NextItemKey(state)};
    state.items.PushBack(std::move(item));
  });
}

void ContextCls::Clone(std::shared_ptr<ContextCls>& contextClass) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Clone", [&] {
    if (contextClass) {
      contextClass->Clear();
    } else {
      contextClass = std::make_shared<ContextCls>();
    }
    std::vector<detail::ContextItem> records;
    records.reserve(static_cast<std::size_t>(state.items.Count()));
    state.items.ForEach([&](const detail::ItemView& item) { records.push_back(item.Copy()); });
    CloneAddAll(*contextClass, records);
  });
}

void ContextCls::Copy(const std::shared_ptr<ContextCls>& contextClass, const std::string& Tag) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Copy", [&] {
    if (!contextClass) Raise(errc::kObjectNotSet);
    contextClass->Remove(Tag);
    std::vector<detail::ContextItem> records;
    state.items.ForEachOfTag(Tag,
                             [&](const detail::ItemView& item) { records.push_back(item.Copy()); });
    CloneAddAll(*contextClass, records);
  });
}

void ContextCls::Dump() {
  // Reads every field of every record and shows nothing: a hook for a
  // debugger, kept because hosts call it.
  std::size_t fields_read = 0;
  state_->items.ForEach([&](const detail::ItemView& item) {
    fields_read += item.Tag.size() + item.Id.size() + item.Value.size();
    fields_read +=
        static_cast<std::size_t>(item.Instance != 0) + static_cast<std::size_t>(item.Key);
  });
  static_cast<void>(fields_read);
}

}  // namespace tamrel
