// TagStore: the ordered collection of ContextItem records of one context.
//
// Positions are 1-based. Records enter at the front (Add) or at the back
// (CloneAdd, Load) and leave from anywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "store/context_item.hpp"

namespace tamrel::detail {

class TagStore {
 public:
  int32_t Count() const { return static_cast<int32_t>(records_.size()); }
  // REQUIRES: 1 <= position <= Count().
  const ContextItem& At(int32_t position) const { return records_[Index(position)]; }
  ContextItem& At(int32_t position) { return records_[Index(position)]; }

  void PushFront(ContextItem item) { records_.insert(records_.begin(), std::move(item)); }
  void PushBack(ContextItem item) { records_.push_back(std::move(item)); }
  // REQUIRES: 1 <= position <= Count().
  void RemoveAt(int32_t position) { records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(Index(position))); }
  void Clear() { records_.clear(); }

  // Visits every record in store order.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    for (const ContextItem& item : records_) visit(item);
  }

 private:
  static std::size_t Index(int32_t position) { return static_cast<std::size_t>(position - 1); }
  std::vector<ContextItem> records_;
};

}  // namespace tamrel::detail
