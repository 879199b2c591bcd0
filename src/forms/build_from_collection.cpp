// Building from a dictionary: every entry becomes the values of its tag and
// id, a list text becoming one value per element, the first element newest.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "automation/error_trap.hpp"
#include "forms/setting_name.hpp"
#include "persist/context_state.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace tamrel {
namespace {

// The number of parts as the 16-bit count that bounds the list.
int16_t PartCount(const std::vector<std::string>& parts) {
  if (parts.size() > static_cast<std::size_t>(std::numeric_limits<int16_t>::max())) {
    Raise(errc::kOverflow);
  }
  return static_cast<int16_t>(parts.size());
}

}  // namespace

void ContextCls::BuildFromCollection(const std::string& TagName, Dictionary& cln) {
  detail::Trapped(*state_, "BuildFromCollection", [&] {
    const std::vector<std::string> keys = cln.Keys();
    for (const std::string& key : keys) {
      const detail::SettingName setting = detail::SettingOf(TagName, key);
      const std::string text = CStr(cln.Item(key));
      if (text.find(detail::kListSeparator) == std::string::npos) {
        Add(setting.tag, setting.id, Variant(text), 1, "");
        continue;
      }
      const std::vector<std::string> parts = detail::SplitListText(text);
      const int16_t count = PartCount(parts);
      for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        Add(setting.tag, setting.id, Variant(*part), count, "");
      }
    }
  });
}

}  // namespace tamrel
