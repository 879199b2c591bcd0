// Keys that a context file cannot hold without becoming unreadable.
//
// Save writes tags and ids as they are. A few of them would end an element
// early or cut its name short, so that the next Load finds the whole file
// damaged, and its backup copy, written from the same text, as well: every
// value would be lost. Save refuses to write a store holding such a key.
#pragma once

#include <string_view>

namespace tamrel::detail {

// False when the element of a record filed under `tag` and `id` would leave
// the file unreadable: a blank or ">" in the tag (the end tag then no longer
// matches the name the reader cuts), a double quote in the id (it ends the
// id and lets the rest run on as attributes), or "</context>" or the
// record's own end tag in the id (the reader takes it for the end).
bool KeepsFileReadable(std::string_view tag, std::string_view id);

}  // namespace tamrel::detail
