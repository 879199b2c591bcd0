#include "platform/posix/posix_errors.hpp"

#include <cerrno>
#include <cstring>
#include <string>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

// True when the run-time's description of `number` already says what
// `error_number` means, so that the system's words would only repeat it.
bool NumberSaysIt(int32_t number, int error_number) {
  switch (error_number) {
    case ENOENT:
      return number == errc::kFileNotFound || number == errc::kPathNotFound;
    case EEXIST:
      return number == errc::kFileAlreadyExists;
    case EACCES:
      return number == errc::kPermissionDenied;
    case ENOSPC:
      return number == errc::kDiskFull;
    case ENOMEM:
      return number == errc::kOutOfMemory;
    default:
      return false;
  }
}

}  // namespace

std::string DescriptionFor(int32_t number, int error_number) {
  std::string description(StandardDescription(number));
  if (NumberSaysIt(number, error_number)) return description;
  // The C library's words, from a table of constant texts: they need no
  // memory and no descriptor, which may be what ran out.
  std::string cause = std::strerror(error_number);
  if (!cause.empty() && cause.front() >= 'A' && cause.front() <= 'Z') {
    cause.front() = static_cast<char>(cause.front() - 'A' + 'a');
  }
  return description.empty() ? cause : description + ": " + cause;
}

int32_t RuntimeErrorFor(int error_number, Subject subject) {
  switch (error_number) {
    case ENOENT:
      return subject == Subject::kFile ? errc::kFileNotFound : errc::kPathNotFound;
    case ENOTDIR:
      return errc::kPathNotFound;
    case EEXIST:
    case ENOTEMPTY:
      return errc::kFileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
    case EISDIR:
      return errc::kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return errc::kDiskFull;
    case EIO:
      return errc::kDeviceIoError;
    case EMFILE:
    case ENFILE:
      return errc::kTooManyFiles;
    case ENOMEM:
      return errc::kOutOfMemory;
    default:
      return errc::kPathFileAccess;
  }
}

void RaiseErrno(int error_number, Subject subject) {
  const int32_t number = RuntimeErrorFor(error_number, subject);
  Raise(number, DescriptionFor(number, error_number));
}

}  // namespace tamrel::platform::native
