// The text of a context file: "<context>", one element per record in store
// order, each followed by CR LF, then "</context>". An element is
//   <Tag id="Id" instance="n">encoded value</Tag>
// with the tag and id written verbatim and only the value escaped
// (entity_escaping.hpp). An empty store gives "<context></context>".
#pragma once

#include <string>
#include <string_view>

#include "persist/context_state.hpp"
#include "store/context_item.hpp"

namespace tamrel::detail {

inline constexpr std::string_view kRootStart = "<context>";
inline constexpr std::string_view kRootEnd = "</context>";
inline constexpr std::string_view kCrLf = "\r\n";

// Appends the element of `item` and its CR LF to `out`. The value is
// escaped in place, without a text of its own, so only the growth of `out`
// can fail (out of memory), and that failure reaches the caller.
void AppendElement(std::string& out, const ItemView& item);

// The text of the whole store, built by plain appending; any number of
// records (the context log's form).
std::string ContextText(ContextState& state);

// The same text built as Save builds it: the record count is a 16-bit number
// (error 6, overflow, beyond 32,767 records, before anything is built), and
// elements are gathered in a small buffer that joins the main text every 11
// records, which keeps the cost of growing one long text bounded.
std::string SaveText(ContextState& state);

}  // namespace tamrel::detail
