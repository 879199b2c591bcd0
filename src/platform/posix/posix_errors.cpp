#include "platform/posix/posix_errors.hpp"

#include <cerrno>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
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
  Raise(RuntimeErrorFor(error_number, subject));
}

}  // namespace tamrel::platform::native
