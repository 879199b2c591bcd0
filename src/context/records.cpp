// Records: the whole store of a context as plain values.
#include "tamrel/records.hpp"

#include "context/state_of.hpp"

namespace tamrel {

std::vector<Record> Records(const ContextCls& context) {
  const detail::TagStore& items = detail::StateOf(context).items;
  std::vector<Record> records;
  records.reserve(static_cast<std::size_t>(items.Count()));
  items.ForEach([&](const detail::ItemView& item) {
    records.push_back(Record{std::string(item.Tag), std::string(item.Id), item.Instance,
                             std::string(item.Value)});
  });
  return records;
}

}  // namespace tamrel
