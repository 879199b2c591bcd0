// The events of the context file reader, as ContextCls::ProcessXML takes
// them, over views of the text: the reader hands them over without copying.
#pragma once

#include <cstdint>
#include <string_view>

namespace tamrel::detail {

struct ContextState;

// The kinds of event (xmlPortion).
inline constexpr int16_t kStartTag = 0;
inline constexpr int16_t kElementText = 1;
inline constexpr int16_t kAttribute = 2;

// ContextCls::ProcessXML, trap included: the public member forwards here.
void ProcessXMLEvent(ContextState& state, int16_t xmlPortion, std::string_view xmlTag,
                     std::string_view attrOrElement = {}, std::string_view attrVal = {});

}  // namespace tamrel::detail
