// The identity of a file on POSIX: what a file that takes another's place
// must carry over so that its owner finds it as before.
#pragma once

#include <string>

namespace tamrel::platform::native {

// Gives the open file `fd` the identity of the file at `model`: owner and
// group (as far as the process may set them: root may set any, an owner
// only a group it belongs to), extended attributes, which carry the access
// control list (those the process may not set, or the file system does not
// keep, are skipped), and last the permission bits. Raises when the
// permission bits cannot be set; the caller made `fd` with none, so the file
// is never more open than `model` on the way.
void TakeIdentity(int fd, const std::string& model);

}  // namespace tamrel::platform::native
