// DecodeXML: the tokenizer of context files.
//
// It walks a text element by element and hands what it finds to
// ProcessXML (the handling behind the public member, trap included) as
// events: 0 for a start tag, 2 for each
// attribute (name and raw value, quotes removed), 1 for the element's text.
// When an element's content holds a further "<", the text before it is the
// element text and the rest is decoded by a nested call.
//
// It knows start tags with attributes, element text and end tags only, and
// expects the line breaks of the file to be gone. An element whose end tag is
// missing, or a text whose element name cannot be cut (no ">" left), fails
// with error 5 (invalid argument); nesting deeper than kMaxNesting fails with
// error 28 (out of stack space).
//
// Failure path: every call level reports the failure to the host in turn,
// innermost first (RegisterError "Tamrel/ContextCls/DecodeXML" with stage
// "Initialize", WriteDetail "XML: " + the text that level had left to
// decode, HandleError(false, false, false), GetErrorText), and raises the
// error again with its number and description. Records appended before the
// failure stay in the store.
//
// Cost: one scan of the text by position over a view; events are views of
// the text, so nothing of it is copied per element.
#pragma once

#include <string_view>

namespace tamrel::detail {

struct ContextState;

inline constexpr int kMaxNesting = 256;

// Raises tamrel::Error on failure, after the reports above.
void DecodeXML(ContextState& state, std::string_view xml);

}  // namespace tamrel::detail
