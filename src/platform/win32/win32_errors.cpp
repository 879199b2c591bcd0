#include "platform/win32/win32_errors.hpp"

#include <windows.h>

#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

constexpr int32_t kBadFileName = 52;
constexpr int32_t kDeviceIoError = 57;
constexpr int32_t kDiskFull = 61;
constexpr int32_t kTooManyFiles = 67;
constexpr int32_t kDiskNotReady = 71;
constexpr int32_t kRenameAcrossDrives = 74;

}  // namespace

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
      return kBadFileName;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kDiskFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return kDeviceIoError;
    case ERROR_NOT_READY:
      return kDiskNotReady;
    case ERROR_NOT_SAME_DEVICE:
      return kRenameAcrossDrives;
    case ERROR_TOO_MANY_OPEN_FILES:
      return kTooManyFiles;
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
