#include "platform/posix/file_identity.hpp"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/posix_errors.hpp"

namespace tamrel::platform::native {
namespace {

// A getxattr-style call that fills `buffer`: asks for the size first, and
// again when the value grew in between. Empty on any failure.
template <class Call>
std::vector<char> ReadSized(Call&& call) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const ssize_t size = call(nullptr, 0);
    if (size <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(size));
    const ssize_t read = call(buffer.data(), buffer.size());
    if (read >= 0) {
      buffer.resize(static_cast<std::size_t>(read));
      return buffer;
    }
    if (errno != ERANGE) return {};
  }
  return {};
}

void TakeOwner(int fd, const struct stat& model) {
  if (fchown(fd, model.st_uid, model.st_gid) == 0) return;
  // Not root: the group alone, which an owner may set to one of its groups.
  (void)fchown(fd, static_cast<uid_t>(-1), model.st_gid);
}

void TakeExtendedAttributes(int fd, const std::string& model) {
  const std::vector<char> names =
      ReadSized([&](char* data, std::size_t size) { return listxattr(model.c_str(), data, size); });
  for (std::size_t at = 0; at < names.size();) {
    const std::string name(&names[at]);
    at += name.size() + 1;
    const std::vector<char> value = ReadSized([&](char* data, std::size_t size) {
      return getxattr(model.c_str(), name.c_str(), data, size);
    });
    // A value that cannot be read or set (a namespace reserved to root, a
    // file system without it) is skipped: the file is still written.
    (void)fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
  }
}

}  // namespace

void TakeIdentity(int fd, const std::string& model) {
  struct stat info;
  if (stat(model.c_str(), &info) != 0) RaiseErrno(errno, Subject::kFile);
  TakeOwner(fd, info);
  TakeExtendedAttributes(fd, model);
  // After the owner: a change of owner clears the set-user-ID bits.
  if (fchmod(fd, info.st_mode & 07777) != 0) RaiseErrno(errno, Subject::kFile);
}

}  // namespace tamrel::platform::native
