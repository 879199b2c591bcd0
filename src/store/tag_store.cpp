#include "store/tag_store.hpp"

#include <utility>

namespace tamrel::detail {
namespace {
// Free slots given to each side at a layout, beyond one per record.
constexpr std::size_t kMinRoom = 16;
}  // namespace

void TagStore::PushFront(ContextItem item) {
  if (first_ == 0) Relayout();
  Place(--first_, std::move(item));
}

void TagStore::PushBack(ContextItem item) {
  if (end_ == slots_.size()) Relayout();
  Place(end_++, std::move(item));
}

void TagStore::Place(std::size_t slot, ContextItem item) {
  KeyEntry& entry = EntryFor(item);
  // The slot is the new first or last of the store, hence of its Tag and Id.
  const bool at_front = entry.slots.empty() || slot < *entry.slots.begin();
  entry.slots.insert(at_front ? entry.slots.begin() : entry.slots.end(), slot);
  slots_[slot].item = std::move(item);
  slots_[slot].entry = &entry;
  positions_.Occupy(slot);
  ++count_;
}

void TagStore::RemoveAt(int32_t position) {
  const std::size_t slot = SlotAt(position);
  KeyEntry* entry = slots_[slot].entry;
  entry->slots.erase(slot);
  const ContextItem removed = std::move(slots_[slot].item);
  VacateSlot(slot);
  ForgetIfEmpty(removed.Tag, removed.Id, *entry);
  CompactIfSparse();
}

void TagStore::RemoveTag(std::string_view tag) {
  const auto found = tags_.find(tag);
  if (found == tags_.end()) return;
  for (auto& [id, entry] : found->second) {
    for (std::size_t slot : entry.slots) VacateSlot(slot);
  }
  tags_.erase(found);
  CompactIfSparse();
}

void TagStore::Clear() {
  std::vector<Slot>().swap(slots_);
  tags_.clear();
  first_ = end_ = 0;
  count_ = 0;
  positions_.Reset(0, 0, 0);
}

void TagStore::VacateSlot(std::size_t slot) {
  slots_[slot].item = ContextItem{};
  slots_[slot].entry = nullptr;
  positions_.Vacate(slot);
  --count_;
}

void TagStore::ForgetIfEmpty(std::string_view tag, std::string_view id, const KeyEntry& entry) {
  if (!entry.slots.empty()) return;
  const auto ids = tags_.find(tag);
  ids->second.erase(ids->second.find(id));
  if (ids->second.empty()) tags_.erase(ids);
}

void TagStore::CompactIfSparse() {
  const auto records = static_cast<std::size_t>(count_);
  if (end_ - first_ - records > records + kMinRoom) Relayout();
}

void TagStore::Relayout() {
  const auto records = static_cast<std::size_t>(count_);
  const std::size_t room = records + kMinRoom;
  std::vector<Slot> fresh(room + records + room);
  for (auto& [tag, ids] : tags_) {
    for (auto& [id, entry] : ids) entry.slots.clear();
  }
  std::size_t next = room;
  for (std::size_t slot = first_; slot < end_; ++slot) {
    Slot& old = slots_[slot];
    if (old.entry == nullptr) continue;
    old.entry->slots.insert(old.entry->slots.end(), next);
    fresh[next++] = std::move(old);
  }
  slots_.swap(fresh);
  first_ = room;
  end_ = next;
  positions_.Reset(slots_.size(), first_, end_);
}

int32_t TagStore::FindFrom(std::string_view tag, std::string_view id, int32_t from) const {
  const KeyEntry* entry = FindEntry(tag, id);
  if (entry == nullptr || from > count_) return 0;
  const auto next = entry->slots.lower_bound(SlotAt(std::max(from, 1)));
  return next == entry->slots.end() ? 0 : positions_.Rank(*next);
}

const TagStore::KeyEntry* TagStore::FindEntry(std::string_view tag, std::string_view id) const {
  const auto ids = tags_.find(tag);
  if (ids == tags_.end()) return nullptr;
  const auto entry = ids->second.find(id);
  return entry == ids->second.end() ? nullptr : &entry->second;
}

TagStore::KeyEntry* TagStore::FindEntry(std::string_view tag, std::string_view id) {
  return const_cast<KeyEntry*>(std::as_const(*this).FindEntry(tag, id));
}

TagStore::KeyEntry& TagStore::EntryFor(const ContextItem& item) {
  IdMap& ids = tags_.try_emplace(item.Tag).first->second;
  return ids.try_emplace(item.Id).first->second;
}

std::vector<std::size_t> TagStore::SlotsOfTag(std::string_view tag) const {
  std::vector<std::size_t> slots;
  const auto ids = tags_.find(tag);
  if (ids == tags_.end()) return slots;
  for (const auto& [id, entry] : ids->second) {
    slots.insert(slots.end(), entry.slots.begin(), entry.slots.end());
  }
  std::sort(slots.begin(), slots.end());
  return slots;
}

}  // namespace tamrel::detail
