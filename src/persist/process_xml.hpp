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

// Whether `text` is an instance number as Save writes it (decimal digits,
// within 16 bits), and which.
bool PlainInstanceNumber(std::string_view text, int16_t& number);

// How DecodeXML files records: directly from the reader's views where the
// outcome is the same (what Load does), or event by event (what the first
// must agree with).
enum class RecordFiling { kDirect, kEventByEvent };

// Reads `xml` into the store as ProcessXML events would, trap included for
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
void DecodeXML(ContextState& state, std::string_view xml,
               RecordFiling filing = RecordFiling::kDirect);

}  // namespace tamrel::detail
