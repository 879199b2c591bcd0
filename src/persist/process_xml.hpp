// ProcessXML: records built from the events of the context file reader, as
// ContextCls::ProcessXML takes them, over views of the text; and DecodeXML,
// the reader's events turned into ProcessXML events.
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

// Reads `xml` into the store through ProcessXML events, trap included for
// each. A level that fails is reported to the host, innermost first
// (RegisterError "Tamrel/ContextCls/DecodeXML" with stage "Initialize",
// WriteDetail "XML: " + the text that level had left to read,
// HandleError(false, false, false), GetErrorText), and the error is raised
// again with its number and description. Records appended before the
// failure stay in the store.
//
// While reading, the store is told which Tag and Id lookups come next, so
// that their memory is fetched early: when the next start tag begins as
// Save writes one ('<Tag id="Id"'), a whole element ahead once the store's
// index has outgrown the cache. Only the timing depends on it.
void DecodeXML(ContextState& state, std::string_view xml);

}  // namespace tamrel::detail
