#include "store/linked_tags.hpp"

#include <string_view>

namespace tamrel::detail {
namespace {
std::string TrimSpaces(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return "";
  const std::size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(begin, end - begin + 1));
}
}  // namespace

std::vector<std::string> LinkedTags(const std::string& link_id) {
  std::vector<std::string> tags;
  std::size_t apostrophe = link_id.find('\'');
  while (apostrophe != std::string::npos) {
    const std::size_t next = link_id.find('\'', apostrophe + 1);
    const std::size_t end = next == std::string::npos ? link_id.size() : next;
    tags.push_back(
        TrimSpaces(std::string_view(link_id).substr(apostrophe + 1, end - apostrophe - 1)));
    apostrophe = next;
  }
  return tags;
}

}  // namespace tamrel::detail
