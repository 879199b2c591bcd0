#include "platform/win32/win32_errors.hpp"

#include <windows.h>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
int32_t RuntimeErrorFor(uint32_t error_code, Subject subject) {
  switch (error_code) {
    case ERROR_FILE_NOT_FOUND:
      return subject == Subject::kFile ? errc::kFileNotFound : errc::kPathNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
      return errc::kPathNotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return errc::kFileAlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
      return errc::kPermissionDenied;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return errc::kBadFileName;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return errc::kDiskFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return errc::kDeviceIoError;
    case ERROR_NOT_READY:
      return errc::kDiskNotReady;
    case ERROR_NOT_SAME_DEVICE:
      return errc::kRenameAcrossDrives;
    case ERROR_TOO_MANY_OPEN_FILES:
      return errc::kTooManyFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return errc::kOutOfMemory;
    default:
      return errc::kPathFileAccess;
  }
}

void RaiseWin32(uint32_t error_code, Subject subject) {
  Raise(RuntimeErrorFor(error_code, subject));
}

void RaiseLastError(Subject subject) { RaiseWin32(GetLastError(), subject); }

bool IsHeldByAnother(uint32_t error_code) {
  return error_code == ERROR_SHARING_VIOLATION || error_code == ERROR_LOCK_VIOLATION ||
         error_code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

}  // namespace tamrel::platform::native
