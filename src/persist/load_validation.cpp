#include "persist/load_validation.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "automation/error_trap.hpp"
#include "persist/older_contexts.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

void AppendFillers(ContextState& state, const ContextItem& item, int32_t first, int32_t last) {
  for (int32_t instance = first; instance <= last; ++instance) {
    ContextItem filler;
    filler.Tag = item.Tag;
    filler.Id = item.Id;
    filler.Instance = static_cast<int16_t>(instance);
    filler.Key = NextItemKey(state);
    state.items.PushBack(std::move(filler));
  }
}

// A number beyond `expected`: logged, then filled up (ShowText ids) or
// pulled back. Returns the number the pair has reached.
int32_t RepairGap(ContextState& state, ContextItem& item, int32_t expected) {
  LogInstanceMismatch(state, expected, item);
  // Host code run from the log line may have ended the record being read
  // (a ProcessXML element text of its own): then there is none to repair.
  if (!state.has_current_item) Raise(errc::kObjectNotSet);
  state.changed = true;
  if (IsShowTextId(item.Id)) {
    AppendFillers(state, item, expected, item.Instance - 1);
    return item.Instance;
  }
  item.Instance = static_cast<int16_t>(expected);
  return expected;
}

}  // namespace

void LogInstanceMismatch(ContextState& state, int32_t expected, const ContextItem& item) {
  HostApplication& host = Host(state);
  std::string line;
  line.reserve(64 + state.name.size() + item.Tag.size() + item.Id.size());
  line.append("ContextCls LOAD of ").append(state.name).append(" Tag: ").append(item.Tag);
  line.append(" Id: ").append(item.Id).append(" Expected Instance: ");
  line.append(std::to_string(expected)).append(" Got: ").append(std::to_string(item.Instance));
  host.WriteLog(line);
}

bool ValidateLoadItem(ContextState& state, ContextItem& item) {
  bool result = true;
  Trapped(state, "ValidateLoadItem", [&] {
    if (CleanSeparatorMarks(state.name, item.Tag, item.Id, item.Value)) state.changed = true;
    if (state.load_instances == nullptr) Raise(errc::kObjectNotSet);
    LoadInstances* const instances = state.load_instances;
    // A repair writes to the host's log, and host code run from there may
    // start a Load of its own, which ends this Load's table: the number
    // reached then has nowhere to go.
    const auto repair = [&](int32_t expected) {
      const int32_t reaches = RepairGap(state, item, expected);
      if (state.load_instances != instances) Raise(errc::kObjectNotSet);
      return reaches;
    };
    instances->Check(state.items, item.Tag, item.Id,
                     [&](std::optional<int32_t> reached) -> std::optional<int32_t> {
                       if (!reached) return (item.Instance == 1) ? 1 : repair(1);
                       const int32_t expected = *reached + 1;
                       if (item.Instance < expected) {
                         if (!IsQuietDuplicateId(item.Id))
                           LogInstanceMismatch(state, expected, item);
                         result = false;
                         return std::nullopt;
                       }
                       return (item.Instance == expected) ? expected : repair(expected);
                     });
  });
  return result;
}

}  // namespace tamrel::detail
