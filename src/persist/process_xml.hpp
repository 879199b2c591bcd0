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

// A hint from the reader: `next`, the text it goes on with once the element
// under way is done, may start with the start tag of the next record. When
// it starts as Save writes one ('<Tag id="Id"'), the store begins fetching
// the memory of that Tag and Id's lookup, a whole element ahead of it: worth
// a second look at every start tag only when the store's index has
// outgrown the cache. Any text may come; nothing but the timing changes.
void ForeseeElement(ContextState& state, std::string_view next);

}  // namespace tamrel::detail
