#include "record_columns.hpp"

#include <algorithm>

namespace tamrel::tool {
namespace {

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

}  // namespace

std::vector<std::string> RecordColumns(const std::vector<Record>& records) {
  std::size_t tag_width = 0;
  std::size_t id_width = 0;
  for (const Record& record : records) {
    tag_width = std::max(tag_width, record.tag.size());
    id_width = std::max(id_width, record.id.size());
  }
  std::vector<std::string> lines;
  for (const Record& record : records) {
    lines.push_back(Padded(record.tag, tag_width) + "  " + Padded(record.id, id_width) + "  " +
                    std::to_string(record.instance) + "  " + record.value);
  }
  return lines;
}

}  // namespace tamrel::tool
