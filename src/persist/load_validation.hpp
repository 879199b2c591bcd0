// Checks of the records a Load reads, before they enter the store.
//
// Within one Load the instances of each tag and id pair must run 1, 2, 3, ...
// in file order. A number that skips ahead is pulled back to the next free
// number, except for the four ShowText ids (ShowTextDesc, ShowTextInd,
// ShowTextPrefix, ShowTextSep), whose gaps are filled with empty records; a
// number already used is dropped. Each irregularity is logged (except a
// repeat of the id "Created"), and each repair sets `changed`. In the
// context named NewAlbumDefaults the Caption/ShowTextSep value loses its
// "\b" and "\c" marks.
#pragma once

#include <cstdint>

#include "persist/context_state.hpp"
#include "store/context_item.hpp"

namespace tamrel::detail {

// ValidateLoadItem: true when `item` (its Value and Instance possibly
// repaired) may enter the store; filler records are appended to the store at
// once. Runs under the uniform trap "Tamrel/ContextCls/ValidateLoadItem"; a
// failure (no host to log to, or no Load in progress so no instance table)
// is reported and the result stays true.
bool ValidateLoadItem(ContextState& state, ContextItem& item);

// LogInstanceMismatch: the log line "ContextCls LOAD of <name> Tag: <tag>
// Id: <id> Expected Instance: <expected> Got: <instance>". No trap of its own.
void LogInstanceMismatch(ContextState& state, int32_t expected, const ContextItem& item);

}  // namespace tamrel::detail
