#include "tamrel/dictionary.hpp"

#include <utility>

#include "tamrel/error.hpp"

namespace tamrel {

bool Dictionary::Exists(const std::string& key) const { return index_.contains(key); }

const Variant& Dictionary::Item(const std::string& key) {
  auto found = index_.find(key);
  if (found != index_.end()) return entries_[found->second].second;
  Add(key, Variant());
  return entries_.back().second;
}

void Dictionary::Item(const std::string& key, const Variant& value) {
  auto found = index_.find(key);
  if (found == index_.end()) {
    Add(key, value);
  } else {
    entries_[found->second].second = value;
  }
}

void Dictionary::Add(const std::string& key, const Variant& value) {
  if (Exists(key)) Raise(errc::kDuplicateKey);
  entries_.emplace_back(key, value);
  index_.emplace(key, entries_.size() - 1);
}

std::vector<std::string> Dictionary::Keys() const {
  std::vector<std::string> keys;
  keys.reserve(entries_.size());
  for (const auto& entry : entries_) keys.push_back(entry.first);
  return keys;
}

std::vector<Variant> Dictionary::Items() const {
  std::vector<Variant> items;
  items.reserve(entries_.size());
  for (const auto& entry : entries_) items.push_back(entry.second);
  return items;
}

void Dictionary::Remove(const std::string& key) {
  auto found = index_.find(key);
  if (found == index_.end()) Raise(errc::kInvalidArgument);
  const std::size_t position = found->second;
  index_.erase(found);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  for (std::size_t i = position; i < entries_.size(); ++i) index_[entries_[i].first] = i;
}

void Dictionary::RemoveAll() {
  entries_.clear();
  index_.clear();
}

}  // namespace tamrel
