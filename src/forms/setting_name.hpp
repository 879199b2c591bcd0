// How form binding names a setting: a control's id or a dictionary key,
// taken with the tag that the caller names, and the list text in which
// several values travel as one.
#pragma once

#include <string>
#include <vector>

namespace tamrel::detail {

// Separates the elements of a list text: the grave accent.
inline constexpr char kListSeparator = '`';

struct SettingName {
  std::string tag;
  std::string id;
};

// An id (or dictionary key) with a "." names its own tag, the text before
// the first "."; any other id belongs to `tag_name`.
SettingName SettingOf(const std::string& tag_name, const std::string& id);

// The dictionary key of a setting: tag & "." & id. An id with a "." is
// therefore its own key.
std::string DictionaryKey(const std::string& tag_name, const std::string& id);

// Appends `element` to a list text: the separator first unless the text is
// still empty. Empty elements before the first non-empty one leave no trace.
void AppendToListText(std::string& list_text, const std::string& element);

// The elements of a value text: the pieces between separators, empty ones
// included.
std::vector<std::string> SplitListText(const std::string& text);

}  // namespace tamrel::detail
