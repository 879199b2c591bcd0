#include "store/key_index.hpp"

#include <bit>
#include <cstring>
#include <utility>

namespace tamrel::detail {
namespace {

constexpr std::size_t kInitialSlots = 16;
constexpr uint64_t kMultiplier = 0x9e3779b97f4a7c15ull;

// Folds `text` into `hash` eight bytes at a time; the length goes in too, so
// that ("ab", "c") and ("a", "bc") differ.
uint64_t Fold(uint64_t hash, std::string_view text) {
  const char* at = text.data();
  std::size_t left = text.size();
  for (; left >= 8; at += 8, left -= 8) {
    uint64_t word = 0;
    std::memcpy(&word, at, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 32;
  }
  uint64_t tail = 0;
  if (left >= 4) {  // two four-byte reads, overlapping when left < 8
    uint32_t low = 0;
    uint32_t high = 0;
    std::memcpy(&low, at, 4);
    std::memcpy(&high, at + left - 4, 4);
    tail = (uint64_t{high} << 32) | low;
  } else if (left > 0) {
    const auto byte = [&](std::size_t i) { return uint64_t{static_cast<unsigned char>(at[i])}; };
    tail = (byte(0) << 16) | (byte(left / 2) << 8) | byte(left - 1);
  }
  hash = (hash ^ tail ^ (uint64_t{text.size()} << 56)) * kMultiplier;
  return hash ^ (hash >> 29);
}

// Spreads every bit of `hash` over all the others (the finaliser of
// MurmurHash3), so that the low bits the table uses depend on every byte.
uint64_t Mix(uint64_t hash) {
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  hash *= 0xc4ceb9fe1a85ec53ull;
  return hash ^ (hash >> 33);
}

}  // namespace

// Tags and Ids are short: an inline hash of both beats two calls of the
// library's string hash, and a lookup hashes on every record a Load files.
uint32_t KeyIndex::Hash(std::string_view tag, std::string_view id) {
  return static_cast<uint32_t>(Mix(Fold(Fold(0, tag), id)));
}

std::size_t KeyIndex::Probe(uint32_t hash, std::string_view tag, std::string_view id) const {
  std::size_t slot = hash & Mask();
  for (; slots_[slot].entry != kFree; slot = (slot + 1) & Mask()) {
    if (slots_[slot].hash != hash) continue;
    const Entry& entry = EntryAt(slots_[slot].entry);
    if (*entry.tag == tag && entry.id == id) return slot;
  }
  return slot;
}

const KeyIndex::Entry* KeyIndex::Find(std::string_view tag, std::string_view id) const {
  if (IsLastFound(tag, id)) return last_found_;
  if (count_ == 0) return nullptr;
  const Slot& slot = slots_[Probe(Hash(tag, id), tag, id)];
  if (slot.entry == kFree) return nullptr;
  last_found_ = &EntryAt(slot.entry);
  return last_found_;
}

KeyIndex::Entry* KeyIndex::Find(std::string_view tag, std::string_view id) {
  return const_cast<Entry*>(std::as_const(*this).Find(tag, id));
}

void KeyIndex::Prefetch(std::string_view tag, std::string_view id) const {
  if (slots_.empty()) return;
  if (IsLastFound(tag, id)) return;
  __builtin_prefetch(&slots_[Hash(tag, id) & Mask()]);
}

KeyIndex::Entry& KeyIndex::FindOrAdd(std::string&& tag, std::string&& id) {
  if (IsLastFound(tag, id)) return *last_found_;
  if (2 * (count_ + 1) > slots_.size()) Grow();
  const uint32_t hash = Hash(tag, id);
  Slot& slot = slots_[Probe(hash, tag, id)];
  if (slot.entry != kFree) return EntryAt(slot.entry);
  TagList& of_tag = ListOf(std::move(tag));
  Entry& entry = NewEntry();
  entry.tag = &of_tag.first;
  entry.id = std::move(id);
  entry.in_tag = static_cast<uint32_t>(of_tag.second.size());
  of_tag.second.push_back(&entry);
  slot = Slot{hash, entry.number};
  ++count_;
  return entry;
}

KeyIndex::TagList& KeyIndex::ListOf(std::string&& tag) {
  if (last_list_ == nullptr || last_list_->first != tag) {
    last_list_ = &*tags_.try_emplace(std::move(tag)).first;
  }
  return *last_list_;
}

KeyIndex::Entry& KeyIndex::NewEntry() {
  if (!free_entries_.empty()) {
    Entry* entry = free_entries_.back();
    free_entries_.pop_back();
    return *entry;
  }
  if (used_in_last_chunk_ == kChunkEntries) {
    chunks_.push_back(std::make_unique_for_overwrite<Entry[]>(kChunkEntries));
    used_in_last_chunk_ = 0;
  }
  Entry& entry = chunks_.back()[used_in_last_chunk_++];
  entry.number = static_cast<uint32_t>((chunks_.size() - 1) * kChunkEntries + used_in_last_chunk_);
  return entry;
}

void KeyIndex::Release(Entry& entry) {
  entry.tag = nullptr;
  entry.stamps.clear();
  entry.round = 0;
  free_entries_.push_back(&entry);
}

void KeyIndex::Reserve(std::size_t entries) {
  const std::size_t wanted = std::bit_ceil(2 * (count_ + entries));
  if (wanted > slots_.size()) Rehash(wanted);
}

void KeyIndex::Grow() { Rehash(slots_.empty() ? kInitialSlots : 2 * slots_.size()); }

void KeyIndex::Rehash(std::size_t slot_count) {
  std::vector<Slot> old = std::move(slots_);
  slots_ = std::vector<Slot>(slot_count);
  for (const Slot& slot : old) {
    if (slot.entry == kFree) continue;
    std::size_t to = slot.hash & Mask();
    while (slots_[to].entry != kFree) to = (to + 1) & Mask();
    slots_[to] = slot;
  }
}

void KeyIndex::Forget(Entry& entry) {
  last_found_ = nullptr;
  last_list_ = nullptr;
  EraseSlot(Probe(Hash(*entry.tag, entry.id), *entry.tag, entry.id));
  const auto of_tag = tags_.find(*entry.tag);
  std::vector<Entry*>& list = of_tag->second;
  list.back()->in_tag = entry.in_tag;
  list[entry.in_tag] = list.back();
  list.pop_back();
  if (list.empty()) tags_.erase(of_tag);  // the entry's tag goes with it
  Release(entry);
}

void KeyIndex::EraseSlot(std::size_t slot) {
  slots_[slot].entry = kFree;
  --count_;
  // Backward shift: pull later members of the probe run into the hole, so
  // that every entry stays reachable from its home slot without tombstones.
  std::size_t hole = slot;
  for (std::size_t next = (hole + 1) & Mask(); slots_[next].entry != kFree;
       next = (next + 1) & Mask()) {
    const std::size_t home = slots_[next].hash & Mask();
    const bool home_after_hole = ((next - home) & Mask()) < ((next - hole) & Mask());
    if (home_after_hole) continue;
    slots_[hole] = slots_[next];
    slots_[next].entry = kFree;
    hole = next;
  }
}

const std::vector<KeyIndex::Entry*>& KeyIndex::EntriesOf(std::string_view tag) const {
  static const std::vector<Entry*> kNone;
  const auto found = tags_.find(tag);
  return found == tags_.end() ? kNone : found->second;
}

void KeyIndex::ForgetTag(std::string_view tag) {
  const auto found = tags_.find(tag);
  if (found == tags_.end()) return;
  last_found_ = nullptr;
  last_list_ = nullptr;
  for (Entry* entry : found->second) {
    EraseSlot(Probe(Hash(*entry->tag, entry->id), *entry->tag, entry->id));
    Release(*entry);
  }
  tags_.erase(found);  // the entries' tag goes with it
}

}  // namespace tamrel::detail
