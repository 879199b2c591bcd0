#include "persist/load_instances.hpp"

#include <functional>

namespace tamrel::detail {
namespace {
constexpr std::size_t kInitialInstanceSlots = 64;
constexpr std::string_view kJoint = "$$";
}  // namespace

std::size_t LoadInstances::Join(std::string_view tag, std::string_view id) {
  joined_.assign(tag).append(kJoint).append(id);
  return std::hash<std::string_view>{}(joined_);
}

std::size_t LoadInstances::Probe(std::size_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (slots_[at].length != 0) {
    const Slot& slot = slots_[at];
    if (slot.hash == hash && TextOf(slot) == joined_) return at;
    at = (at + 1) & mask;
  }
  return at;
}

int32_t* LoadInstances::Find(std::string_view tag, std::string_view id) {
  if (count_ == 0) return nullptr;
  Slot& slot = slots_[Probe(Join(tag, id))];
  return slot.length == 0 ? nullptr : &slot.reached;
}

void LoadInstances::Add(std::string_view tag, std::string_view id, int32_t reached) {
  if (2 * (count_ + 1) > slots_.size())
    Rehash(slots_.empty() ? kInitialInstanceSlots : 2 * slots_.size());
  const std::size_t hash = Join(tag, id);
  Slot& slot = slots_[Probe(hash)];
  slot = Slot{hash, texts_.size(), static_cast<uint32_t>(joined_.size()), reached};
  texts_.append(joined_);
  ++count_;
}

void LoadInstances::Rehash(std::size_t slot_count) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slot_count, Slot{});
  const std::size_t mask = slot_count - 1;
  for (const Slot& slot : old) {
    if (slot.length == 0) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].length != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace tamrel::detail
