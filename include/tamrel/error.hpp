// Errors of the automation run-time as Tamrel raises and reports them.
//
// Every failure inside the library is a tamrel::Error carrying the run-time's
// error number, a source and a description. Members with an error trap catch
// it, make it the thread's current error while they report it to the host
// application, and return normally; members without a trap let it reach the
// caller.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "tamrel/export.hpp"

namespace tamrel {

// Error numbers of the run-time that the library raises, passes on or
// describes: the one place each number is named. Raise with these names,
// never with a bare number.
namespace errc {
inline constexpr int32_t kReturnWithoutGoSub = 3;   // Return without GoSub
inline constexpr int32_t kInvalidArgument = 5;      // Invalid procedure call or argument
inline constexpr int32_t kOverflow = 6;             // Overflow
inline constexpr int32_t kOutOfMemory = 7;          // Out of memory
inline constexpr int32_t kSubscriptOutOfRange = 9;  // Subscript out of range
inline constexpr int32_t kArrayLocked = 10;         // This array is fixed or temporarily locked
inline constexpr int32_t kDivisionByZero = 11;      // Division by zero
inline constexpr int32_t kTypeMismatch = 13;        // Type mismatch
inline constexpr int32_t kOutOfStackSpace = 28;     // Out of stack space
inline constexpr int32_t kInternalError = 51;       // Internal error
inline constexpr int32_t kBadFileName = 52;         // Bad file name or number
inline constexpr int32_t kFileNotFound = 53;        // File not found
inline constexpr int32_t kBadFileMode = 54;         // Bad file mode
inline constexpr int32_t kFileAlreadyOpen = 55;     // File already open
inline constexpr int32_t kDeviceIoError = 57;       // Device I/O error
inline constexpr int32_t kFileAlreadyExists = 58;   // File already exists
inline constexpr int32_t kDiskFull = 61;            // Disk full
inline constexpr int32_t kInputPastEndOfFile = 62;  // Input past end of file
inline constexpr int32_t kTooManyFiles = 67;        // Too many files
inline constexpr int32_t kDeviceUnavailable = 68;   // Device unavailable
inline constexpr int32_t kPermissionDenied = 70;    // Permission denied
inline constexpr int32_t kDiskNotReady = 71;        // Disk not ready
inline constexpr int32_t kRenameAcrossDrives = 74;  // Can't rename with different drive
inline constexpr int32_t kPathFileAccess = 75;      // Path/File access error
inline constexpr int32_t kPathNotFound = 76;        // Path not found
inline constexpr int32_t kObjectNotSet = 91;      // Object variable or With block variable not set
inline constexpr int32_t kInvalidUseOfNull = 94;  // Invalid use of Null
inline constexpr int32_t kInvalidPropertyValue = 380;  // Invalid property value
inline constexpr int32_t kInvalidPropertyIndex = 381;  // Invalid property array index
inline constexpr int32_t kSetOnlyAtDesignTime = 382;   // Property cannot be set at run time
inline constexpr int32_t kReadOnlyProperty = 383;      // Property is read-only
inline constexpr int32_t kPropertyNotFound = 423;      // Property or method not found
inline constexpr int32_t kObjectRequired = 424;        // Object required
inline constexpr int32_t kCannotCreateObject = 429;    // ActiveX component can't create object
inline constexpr int32_t kNoSuchMember = 438;  // Object doesn't support this property or method
inline constexpr int32_t kActionNotSupported = 445;   // Object doesn't support this action
inline constexpr int32_t kArgumentNotOptional = 449;  // Argument not optional
inline constexpr int32_t kWrongArgumentCount =
    450;  // Wrong number of arguments or invalid property assignment
inline constexpr int32_t kDuplicateKey =
    457;  // This key is already associated with an element of this collection
inline constexpr int32_t kIllegalContextParam = 60011;  // the library's own: illegal tag or id
}  // namespace errc

// The run-time's description of a standard error number ("" for unknown ones).
TAMREL_EXPORT std::string_view StandardDescription(int32_t number);

// The source the run-time gives errors raised inside the library.
inline constexpr std::string_view kDefaultErrorSource = "Tamrel";

class TAMREL_EXPORT Error : public std::exception {
 public:
  // An empty description is replaced by the standard one for the number.
  explicit Error(int32_t number, std::string description = "",
                 std::string source = std::string(kDefaultErrorSource));

  int32_t number() const noexcept { return number_; }
  const std::string& source() const noexcept { return source_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

// Raises Error(number, description, source).
[[noreturn]] TAMREL_EXPORT void Raise(int32_t number, std::string description = "",
                                      std::string source = std::string(kDefaultErrorSource));

// The thread's current error, as the run-time's Err object holds it. Number 0
// means no error. The library sets it while it reports a failure to the host
// (RegisterError, HandleError and, for the reader, GetErrorText) and clears it
// when the report is done.
struct ErrorInfo {
  int32_t number = 0;
  std::string source;
  std::string description;
};

TAMREL_EXPORT const ErrorInfo& CurrentError();
TAMREL_EXPORT void SetCurrentError(const Error& error);
TAMREL_EXPORT void ClearCurrentError();

}  // namespace tamrel
