#include "store/key_index.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "store/linear_probing.hpp"

namespace tamrel::detail {
namespace {

constexpr uint64_t kMultiplier = 0x9e3779b97f4a7c15ull;

// Folds `text` into `hash` eight bytes at a time; the length goes in too, so
// that ("ab", "c") and ("a", "bc") differ.
inline uint64_t Fold(uint64_t hash, std::string_view text) {
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
inline uint64_t Mix(uint64_t hash) {
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
  return Hash(TagFold(tag), id);
}

inline uint64_t KeyIndex::TagFold(std::string_view tag) { return Fold(0, tag); }

inline uint32_t KeyIndex::Hash(uint64_t tag_fold, std::string_view id) {
  return static_cast<uint32_t>(Mix(Fold(tag_fold, id)));
}

inline std::size_t KeyIndex::Probe(uint32_t hash, std::string_view tag, std::string_view id) const {
  std::size_t slot = hash & Mask();
  for (; slots_[slot].entry != kNone; slot = (slot + 1) & Mask()) {
    if (slots_[slot].hash == hash && Holds(At(slots_[slot].entry), tag, id)) return slot;
  }
  return slot;
}

KeyIndex::Number KeyIndex::Find(std::string_view tag, std::string_view id) const {
  if (IsLastFound(tag, id)) return last_found_;
  if (count_ == 0) return kNone;
  const Number found = slots_[Probe(Hash(tag, id), tag, id)].entry;
  if (found != kNone) last_found_ = found;
  return found;
}

bool KeyIndex::Prefetch(std::string_view tag, std::string_view id, Hashed& hashed) const {
  if (slots_.empty() || IsLastFound(tag, id)) return false;
  hashed.tag_fold = TagFold(tag);
  hashed.hash = Hash(hashed.tag_fold, id);
  __builtin_prefetch(&slots_[hashed.hash & Mask()]);
  return true;
}

KeyIndex::Found KeyIndex::Locate(const std::string_view& tag, const std::string_view& id,
                                 const Hashed* hashed) {
  if (IsLastFound(tag, id)) return Found{last_found_, 0, 0, 0, version_};
  if (4 * (count_ + 1) > 3 * slots_.size()) Grow();
  Found found;
  if (hashed != nullptr) {
    found.tag_fold = hashed->tag_fold;
    found.hash = hashed->hash;
  } else {
    found.tag_fold = TagFold(tag);
    found.hash = Hash(found.tag_fold, id);
  }
  found.slot = Probe(found.hash, tag, id);
  found.entry = slots_[found.slot].entry;
  found.version = version_;
  if (found.entry != kNone) last_found_ = found.entry;
  return found;
}

KeyIndex::Number KeyIndex::AddAt(const Found& found, std::string_view tag, std::string_view id) {
  if (found.version != version_) return FindOrAdd(tag, id);
  if (found.entry != kNone) return found.entry;
  ++version_;
  TagList& of_tag = ListOf(tag, found.tag_fold);
  const Number number = NewEntry();
  Entry& entry = At(number);
  entry.tag = of_tag.place;
  entry.id.Keep(id, ids_);
  entry.previous_of_tag = kNone;
  entry.next_of_tag = of_tag.first;
  if (of_tag.first != kNone) At(of_tag.first).previous_of_tag = number;
  of_tag.first = number;
  slots_[found.slot] = Slot{found.hash, number};
  ++count_;
  last_found_ = number;
  return number;
}

inline KeyIndex::TagList& KeyIndex::ListOf(std::string_view tag, uint64_t tag_fold) {
  if (!recent_lists_) recent_lists_ = std::make_unique<std::array<TagList*, kRecentLists>>();
  TagList*& recent = (*recent_lists_)[tag_fold % kRecentLists];
  if (recent == nullptr || !SameText(recent->tag, tag)) recent = &tags_.FindOrAdd(tag, tag_fold);
  return *recent;
}

const KeyIndex::TagList* KeyIndex::FindList(std::string_view tag) const {
  return tags_.Find(tag, TagFold(tag));
}

inline KeyIndex::Number KeyIndex::NewEntry() {
  if (!free_entries_.empty()) {
    const Number number = free_entries_.back();
    free_entries_.pop_back();
    return number;
  }
  entries_.emplace_back();
  return static_cast<Number>(entries_.size());
}

void KeyIndex::Release(Number number) {
  Entry& entry = At(number);
  entry.id.Drop(ids_);
  entry.stamps.clear();
  free_entries_.push_back(number);
}

void KeyIndex::Grow() { Rehash(slots_.empty() ? kInitialSlots : 2 * slots_.size()); }

std::size_t KeyIndex::SlotsFor(std::size_t entries) {
  return std::bit_ceil(std::max(kInitialSlots, (4 * entries + 2) / 3));
}

void KeyIndex::Reserve(std::size_t entries) {
  const std::size_t slots = SlotsFor(count_ + entries);
  if (slots > slots_.size()) Rehash(slots);
  // A store holds a few dozen Tags: room for them once, rather than a
  // rehash of their lists at every few new ones.
  constexpr std::size_t kUsualTags = 64;
  tags_.Reserve(std::min(entries, kUsualTags));
}

void KeyIndex::ShrinkToFit() {
  ids_.ShrinkToFit();
  // A small table stays as it is: rehashing it costs more, next to the Load
  // that sized it, than the few kilobytes are worth.
  constexpr std::size_t kWorthShrinking = std::size_t{1} << 15;  // slots: 256 KB
  const std::size_t slots = SlotsFor(count_);
  if (2 * slots <= slots_.size() && slots_.size() > kWorthShrinking) Rehash(slots);
}

void KeyIndex::Rehash(std::size_t slot_count) {
  ++version_;
  std::vector<Slot> old(slot_count);  // allocated first: a failure leaves the table as it was
  std::swap(old, slots_);
  for (const Slot& slot : old) {
    if (slot.entry == kNone) continue;
    std::size_t to = slot.hash & Mask();
    while (slots_[to].entry != kNone) to = (to + 1) & Mask();
    slots_[to] = slot;
  }
}

void KeyIndex::Unlink(Number number, TagList& list) {
  const Entry& entry = At(number);
  if (entry.previous_of_tag != kNone) {
    At(entry.previous_of_tag).next_of_tag = entry.next_of_tag;
  } else {
    list.first = entry.next_of_tag;
  }
  if (entry.next_of_tag != kNone) At(entry.next_of_tag).previous_of_tag = entry.previous_of_tag;
}

void KeyIndex::Forget(Number number) {
  last_found_ = kNone;
  const Entry& entry = At(number);
  const std::string_view tag = TagOf(entry);
  EraseSlot(Probe(Hash(tag, IdOf(entry)), tag, IdOf(entry)));
  TagList& of_tag = *tags_.Find(tag, TagFold(tag));
  Unlink(number, of_tag);
  Release(number);
  if (of_tag.first == kNone) {  // the entry's tag goes with it
    if (recent_lists_) recent_lists_->fill(nullptr);
    tags_.Remove(of_tag);
  }
  if (ids_.WorthRebuilding()) RebuildIds();
}

void KeyIndex::EraseSlot(std::size_t slot) {
  ++version_;
  --count_;
  EraseWithBackwardShift(
      slots_, slot, Slot{}, [](const Slot& held) { return held.entry == kNone; },
      [&](const Slot& held) { return held.hash & Mask(); });
}

void KeyIndex::ForgetTag(std::string_view tag) {
  TagList* const list = tags_.Find(tag, TagFold(tag));
  if (list == nullptr) return;
  last_found_ = kNone;
  if (recent_lists_) recent_lists_->fill(nullptr);
  for (Number number = list->first; number != kNone;) {
    const Entry& entry = At(number);
    const Number next = entry.next_of_tag;
    EraseSlot(Probe(Hash(tag, IdOf(entry)), tag, IdOf(entry)));
    Release(number);
    number = next;
  }
  tags_.Remove(*list);  // the entries' tag goes with it
  if (ids_.WorthRebuilding()) RebuildIds();
}

StampPool& KeyIndex::NewStampMemory() {
  stamp_memory_ = std::make_unique<StampPool>();
  return *stamp_memory_;
}

void KeyIndex::RebuildIds() {
  TextArena kept;
  kept.Reserve(ids_.Live());
  ForEachEntry([&](Number number) {
    Entry& entry = At(number);
    entry.id.MoveTo(ids_, kept);
  });
  ids_ = std::move(kept);
}

}  // namespace tamrel::detail
