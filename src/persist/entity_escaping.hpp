// Escaping of values in a context file.
//
// Only five characters are escaped: & < > ' and the double quote, as the
// references &amp; &lt; &gt; &apos; &quot;. Line breaks, tabs and every other
// byte pass unchanged. Decoding is the exact inverse of encoding: one pass
// from left to right, so "&amp;lt;" decodes to "&lt;", and an ampersand that
// begins none of the five references stays as it is.
#pragma once

#include <string>
#include <string_view>

#include "persist/context_state.hpp"

namespace tamrel::detail {

// The length of `text` once encoded.
std::size_t EncodedSize(std::string_view text);

// Writes `text` encoded to `out`, which must have room for EncodedSize(text)
// bytes; returns the end of what was written.
char* WriteEncoded(char* out, std::string_view text);

// Appends `text` to `out` with the five references restored.
void AppendDecoded(std::string& out, std::string_view text);

// DecodeSpecialChrs into `out`, in the memory `out` already has, under the
// uniform error trap ("Tamrel/ContextCls/DecodeSpecialChrs"): a failure is
// reported to the host and leaves `out` empty.
void DecodeSpecialChrsInto(ContextState& state, std::string_view text, std::string& out);

}  // namespace tamrel::detail
