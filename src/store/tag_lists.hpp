// TagLists: the Tags a key index holds, each with the first entry of its
// list of entries.
//
// A store holds a few dozen Tags, and a Load meets them all: they sit in a
// deque, a few to an allocation rather than one node each, and never move
// while they are held (the key index keeps pointers to them and hands out
// views of their Tags; its entries name them by place). A small
// open-addressing table (linear probing, at most half full, removal by
// backward shift) finds them by the hash the caller worked out; a removed
// Tag's place is reused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tamrel::detail {

class TagLists {
 public:
  struct List {
    std::string tag;
    uint64_t hash = 0;
    uint32_t first = 0;  // the first entry of the list (0: none)
    uint32_t place = 0;  // in these lists, for TextAt
  };

  // The list of `tag`, whose hash is `hash`; nullptr when it has none.
  const List* Find(std::string_view tag, uint64_t hash) const {
    if (slots_.empty()) return nullptr;
    const std::size_t slot = Probe(tag, hash);
    return slots_[slot] == kFree ? nullptr : &lists_[slots_[slot] - 1];
  }
  List* Find(std::string_view tag, uint64_t hash) {
    return const_cast<List*>(static_cast<const TagLists&>(*this).Find(tag, hash));
  }
  // The Tag of the list at `place` (List::place), held or not.
  const std::string& TextAt(uint32_t place) const { return *texts_[place]; }
  // The list of `tag`, added empty when it has none.
  List& FindOrAdd(std::string_view tag, uint64_t hash);
  // Forgets `list`, one of these lists.
  void Remove(const List& list);
  // Makes room for `lists` lists in all.
  void Reserve(std::size_t lists);

 private:
  static constexpr uint32_t kFree = 0;  // a slot holds a place in lists_ + 1

  std::size_t Mask() const { return slots_.size() - 1; }
  std::size_t Home(uint64_t hash) const { return (hash ^ (hash >> 32)) & Mask(); }
  // The slot holding `tag`, or the free slot where it would go.
  // REQUIRES: !slots_.empty().
  std::size_t Probe(std::string_view tag, uint64_t hash) const;
  void Rehash(std::size_t slot_count);

  std::deque<List> lists_;  // held and removed lists
  // Their Tags, by place: found in one step where the deque takes several.
  std::vector<const std::string*> texts_;
  std::vector<uint32_t> removed_;  // places of removed lists, to reuse
  std::vector<uint32_t> slots_;    // size a power of two (or 0)
  std::size_t count_ = 0;
};

}  // namespace tamrel::detail
