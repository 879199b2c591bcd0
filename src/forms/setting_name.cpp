#include "forms/setting_name.hpp"

namespace tamrel::detail {

SettingName SettingOf(const std::string& tag_name, const std::string& id) {
  const std::size_t dot = id.find('.');
  if (dot == std::string::npos) return {tag_name, id};
  return {id.substr(0, dot), id.substr(dot + 1)};
}

std::string DictionaryKey(const std::string& tag_name, const std::string& id) {
  const SettingName setting = SettingOf(tag_name, id);
  return setting.tag + "." + setting.id;
}

void AppendToListText(std::string& list_text, const std::string& element) {
  if (!list_text.empty()) list_text += kListSeparator;
  list_text += element;
}

std::vector<std::string> SplitListText(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t separator = text.find(kListSeparator); separator != std::string::npos;
       separator = text.find(kListSeparator, start)) {
    parts.push_back(text.substr(start, separator - start));
    start = separator + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace tamrel::detail
