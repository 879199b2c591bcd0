#include "store/tag_store.hpp"

#include <algorithm>
#include <utility>

namespace tamrel::detail {
namespace {
// Free slots given to each side of the window, beyond one per record; at
// least one, so that a push always finds room after a re-base.
constexpr int64_t kMinRoom = 16;
static_assert(kMinRoom >= 1);
}  // namespace

void TagStore::PushFront(const ContextItem& item) {
  if (first_ == origin_) Regrow();
  Place(first_ - 1, ViewOf(item), keys_.FindOrAdd(item.Tag, item.Id), true);
  --first_;
}

void TagStore::PushBack(const ContextItem& item, std::optional<int32_t> round_number) {
  PushBack(ViewOf(item), round_number, keys_.Locate(item.Tag, item.Id));
}

void TagStore::PushBack(const ItemView& item, std::optional<int32_t> round_number,
                        const Found& found) {
  const KeyIndex::Number entry = Append(item, found);
  if (round_number) FileRoundNumber(entry, *round_number);
}

KeyIndex::Number TagStore::Append(const ItemView& item, const Found& found) {
  if (end_ == origin_ + static_cast<int64_t>(slots_.size())) Regrow();
  const KeyIndex::Number entry = keys_.AddAt(found, item.Tag, item.Id);
  Place(end_, item, entry, false);
  ++end_;
  return entry;
}

void TagStore::Reserve(int32_t records, std::size_t pairs, std::size_t value_bytes) {
  values_.Reserve(value_bytes);
  if (records <= 0) return;
  records_.reserve(records_.size() + static_cast<std::size_t>(records));
  keys_.Reserve(pairs);
  const int64_t back_room = origin_ + static_cast<int64_t>(slots_.size()) - end_;
  if (back_room < records) Regrow(records);
}

void TagStore::ShrinkToFit() {
  values_.ShrinkToFit();
  keys_.ShrinkToFit();
}

inline void TagStore::Place(int64_t stamp, const ItemView& item, KeyIndex::Number entry,
                            bool at_front) {
  int32_t index = 0;
  if (free_records_.empty()) {
    index = static_cast<int32_t>(records_.size());
    records_.emplace_back();
  } else {
    index = free_records_.back();
    free_records_.pop_back();
  }
  Record& record = records_[static_cast<std::size_t>(index)];
  record.entry = entry;
  record.instance = item.Instance;
  record.value = values_.Keep(item.Value);
  record.key = item.Key;
  StampList& stamps = keys_.At(entry).stamps;
  if (at_front) {
    stamps.push_front(stamp, keys_.StampMemory());
  } else {
    stamps.push_back(stamp, keys_.StampMemory());
  }
  slots_[Slot(stamp)] = index;
  positions_.Occupy(Slot(stamp));
  ++count_;
  ForgetMemo();
}

void TagStore::RemoveAt(int32_t position) {
  const int64_t stamp = StampAt(position);
  const KeyIndex::Number entry = RecordAt(stamp).entry;
  StampList& stamps = keys_.At(entry).stamps;
  stamps.erase(std::lower_bound(stamps.begin(), stamps.end(), stamp));
  Vacate(stamp);
  if (stamps.empty()) Forget(entry);
  CompactIfSparse();
}

void TagStore::RemoveTag(std::string_view tag) {
  keys_.ForEachOfTag(tag, [&](KeyIndex::Number entry) {
    for (int64_t stamp : keys_.At(entry).stamps) Vacate(stamp);
    KeepRoundNumber(entry);
  });
  keys_.ForgetTag(tag);
  CompactIfSparse();
}

void TagStore::Clear() {
  if (rounds_.under_way) {
    keys_.ForEachEntry([&](KeyIndex::Number entry) { KeepRoundNumber(entry); });
  }
  Rounds rounds = std::move(rounds_);
  TagStore cleared;
  cleared.keys_.Succeed(keys_);
  *this = std::move(cleared);
  rounds_ = std::move(rounds);
  rounds_.numbers.clear();  // the entries they belonged to are gone
}

void TagStore::BeginRound() {
  EndRound();
  rounds_.under_way = true;
  // A number for each entry the index holds before it grows (a Load
  // reserves room for its records), so that filing them does not grow the
  // numbers step by step.
  rounds_.numbers.assign(keys_.Room() + 1, Rounds::kUnnumbered);
}

void TagStore::EndRound() {
  rounds_.under_way = false;
  rounds_.numbers = std::vector<int32_t>();  // gives its memory back
  rounds_.forgotten.clear();
}

std::optional<int32_t> TagStore::RoundNumber(std::string_view tag, std::string_view id) const {
  if (!rounds_.under_way) return std::nullopt;
  return RoundNumber(Found{keys_.Find(tag, id)}, tag, id);
}

std::optional<int32_t> TagStore::ForgottenRoundNumber(std::string_view tag,
                                                      std::string_view id) const {
  const auto of_tag = rounds_.forgotten.find(tag);
  if (of_tag == rounds_.forgotten.end()) return std::nullopt;
  const auto number = of_tag->second.find(id);
  if (number == of_tag->second.end()) return std::nullopt;
  return number->second;
}

void TagStore::Forget(KeyIndex::Number entry) {
  KeepRoundNumber(entry);
  keys_.Forget(entry);
}

void TagStore::KeepRoundNumber(KeyIndex::Number entry) {
  if (!rounds_.under_way || entry >= rounds_.numbers.size()) return;
  int32_t& number = rounds_.numbers[entry];
  if (number == Rounds::kUnnumbered) return;
  const KeyIndex::Entry& of = keys_.At(entry);
  rounds_.forgotten[keys_.TagOf(of)].insert_or_assign(std::string(keys_.IdOf(of)), number);
  number = Rounds::kUnnumbered;  // the entry's number goes to the next pair
}

void TagStore::Vacate(int64_t stamp) {
  int32_t& slot = slots_[Slot(stamp)];
  Record& record = records_[static_cast<std::size_t>(slot)];
  values_.Drop(record.value);
  record = Record{};
  free_records_.push_back(slot);
  slot = kEmpty;
  positions_.Vacate(Slot(stamp));
  --count_;
  ForgetMemo();
}

bool TagStore::Sparse() const { return end_ - first_ - count_ > count_ + kMinRoom; }

void TagStore::CompactIfSparse() {
  if (Sparse()) Regrow();
  if (values_.WorthRebuilding()) RebuildValues();
}

void TagStore::RebuildValues() {
  TextArena kept;
  kept.Reserve(values_.Live());
  for (std::size_t index = 0; index < records_.size(); ++index) {
    Record& record = records_[index];
    if (record.entry != KeyIndex::kNone) record.value = kept.Keep(values_.View(record.value));
  }
  values_ = std::move(kept);
}

void TagStore::Renumber() {
  keys_.ForEachEntry([&](KeyIndex::Number entry) { keys_.At(entry).stamps.clear(); });
  ChunkedVector<Record> packed;
  packed.reserve(static_cast<std::size_t>(count_));
  for (int64_t stamp = first_; stamp < end_; ++stamp) {
    if (slots_[Slot(stamp)] == kEmpty) continue;
    Record& record = RecordAt(stamp);
    keys_.At(record.entry)
        .stamps.push_back(static_cast<int64_t>(packed.size()), keys_.StampMemory());
    packed.push_back(std::move(record));
  }
  records_ = std::move(packed);
  free_records_.clear();
  slots_.resize(records_.size());
  for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i] = static_cast<int32_t>(i);
  origin_ = first_ = 0;
  end_ = count_;
  ForgetMemo();
}

void TagStore::Regrow(int64_t back_room) {
  if (Sparse()) Renumber();
  const int64_t room = count_ + kMinRoom;
  const int64_t span = end_ - first_;
  std::vector<int32_t> window(static_cast<std::size_t>(room + span + std::max(room, back_room)),
                              kEmpty);
  std::copy(slots_.begin() + static_cast<std::ptrdiff_t>(Slot(first_)),
            slots_.begin() + static_cast<std::ptrdiff_t>(Slot(end_)),
            window.begin() + static_cast<std::ptrdiff_t>(room));
  slots_ = std::move(window);
  origin_ = first_ - room;
  if (count_ == 0) {  // a store about to be filled, as by a Load
    positions_.BuildEmpty(slots_.size());
  } else {
    positions_.Build(slots_.size(), [&](std::size_t slot) { return slots_[slot] != kEmpty; });
  }
}

int32_t TagStore::FindFrom(std::string_view tag, std::string_view id, int32_t from) const {
  const KeyIndex::Number entry = keys_.Find(tag, id);
  if (entry == KeyIndex::kNone || from > count_) return 0;
  const StampList& stamps = keys_.At(entry).stamps;
  if (from <= 1) return PositionOf(stamps.front());
  const auto next = std::lower_bound(stamps.begin(), stamps.end(), StampAt(from));
  return next == stamps.end() ? 0 : PositionOf(*next);
}

int64_t TagStore::StampAt(int32_t position) const {
  if (position != memo_position_) {
    memo_stamp_ = origin_ + static_cast<int64_t>(positions_.Select(position));
    memo_position_ = position;
  }
  return memo_stamp_;
}

int32_t TagStore::PositionOf(int64_t stamp) const {
  if (memo_position_ == 0 || stamp != memo_stamp_) {
    memo_position_ = positions_.Rank(Slot(stamp));
    memo_stamp_ = stamp;
  }
  return memo_position_;
}

std::vector<int64_t> TagStore::StampsOfTag(std::string_view tag) const {
  std::vector<int64_t> stamps;
  keys_.ForEachOfTag(tag, [&](KeyIndex::Number entry) {
    const StampList& of_entry = keys_.At(entry).stamps;
    stamps.insert(stamps.end(), of_entry.begin(), of_entry.end());
  });
  std::sort(stamps.begin(), stamps.end());
  return stamps;
}

}  // namespace tamrel::detail
