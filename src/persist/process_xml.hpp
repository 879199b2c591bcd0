// ProcessXML: records built from the events of the context file reader, as
// ContextCls::ProcessXML takes them, over views of the text; and DecodeXML,
// the reader's events turned into ProcessXML events.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "automation/ascii_case.hpp"

namespace tamrel::detail {

struct ContextState;

// The kinds of event (xmlPortion).
inline constexpr int16_t kStartTag = 0;
inline constexpr int16_t kElementText = 1;
inline constexpr int16_t kAttribute = 2;

// Events of the root element "context", in any letter case, are ignored.
inline bool IsRootElement(std::string_view tag) { return EqualsIgnoringAsciiCase(tag, "context"); }

// ContextCls::ProcessXML, trap included: the public member forwards here.
void ProcessXMLEvent(ContextState& state, int16_t xmlPortion, std::string_view xmlTag,
                     std::string_view attrOrElement = {}, std::string_view attrVal = {});

// Whether `text` is an instance number as Save writes it, and which: up to
// five digits after an optional minus, within 16 bits (what from_chars
// takes, short of leading zeros beyond five digits, which CInt reads the
// same).
inline bool PlainInstanceNumber(std::string_view text, int16_t& number) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {  // most instances
    number = static_cast<int16_t>(text[0] - '0');
    return true;
  }
  const bool negative = !text.empty() && text[0] == '-';
  const std::string_view digits = text.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 5) return false;
  int32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = 10 * value + (c - '0');
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    return false;
  }
  number = static_cast<int16_t>(value);
  return true;
}

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
