#include "persist/readable_keys.hpp"

#include <string>

namespace tamrel::detail {

bool KeepsFileReadable(std::string_view tag, std::string_view id) {
  if (tag.find_first_of(" >") != std::string_view::npos) return false;
  if (id.find('"') != std::string_view::npos) return false;
  if (id.find("</context>") != std::string_view::npos) return false;
  const std::string own_end = "</" + std::string(tag) + ">";
  return id.find(own_end) == std::string_view::npos;
}

}  // namespace tamrel::detail
