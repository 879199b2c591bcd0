#include "tamrel/error.hpp"

#include <array>
#include <utility>

namespace tamrel {
namespace {

struct Description {
  int32_t number;
  std::string_view text;
};

// The run-time's own texts for the errors the library raises or passes on.
constexpr std::array kStandardDescriptions{
    Description{errc::kReturnWithoutGoSub, "Return without GoSub"},
    Description{errc::kInvalidArgument, "Invalid procedure call or argument"},
    Description{errc::kOverflow, "Overflow"},
    Description{errc::kOutOfMemory, "Out of memory"},
    Description{errc::kSubscriptOutOfRange, "Subscript out of range"},
    Description{errc::kArrayLocked, "This array is fixed or temporarily locked"},
    Description{errc::kDivisionByZero, "Division by zero"},
    Description{errc::kTypeMismatch, "Type mismatch"},
    Description{errc::kOutOfStackSpace, "Out of stack space"},
    Description{errc::kInternalError, "Internal error"},
    Description{errc::kBadFileName, "Bad file name or number"},
    Description{errc::kFileNotFound, "File not found"},
    Description{errc::kBadFileMode, "Bad file mode"},
    Description{errc::kFileAlreadyOpen, "File already open"},
    Description{errc::kDeviceIoError, "Device I/O error"},
    Description{errc::kFileAlreadyExists, "File already exists"},
    Description{errc::kDiskFull, "Disk full"},
    Description{errc::kInputPastEndOfFile, "Input past end of file"},
    Description{errc::kTooManyFiles, "Too many files"},
    Description{errc::kDeviceUnavailable, "Device unavailable"},
    Description{errc::kPermissionDenied, "Permission denied"},
    Description{errc::kDiskNotReady, "Disk not ready"},
    Description{errc::kRenameAcrossDrives, "Can't rename with different drive"},
    Description{errc::kPathFileAccess, "Path/File access error"},
    Description{errc::kPathNotFound, "Path not found"},
    Description{errc::kObjectNotSet, "Object variable or With block variable not set"},
    Description{errc::kInvalidUseOfNull, "Invalid use of Null"},
    Description{errc::kInvalidPropertyIndex, "Invalid property array index"},
    Description{errc::kPropertyNotFound, "Property or method not found"},
    Description{errc::kObjectRequired, "Object required"},
    Description{errc::kCannotCreateObject, "ActiveX component can't create object"},
    Description{errc::kNoSuchMember, "Object doesn't support this property or method"},
    Description{errc::kActionNotSupported, "Object doesn't support this action"},
    Description{errc::kArgumentNotOptional, "Argument not optional"},
    Description{errc::kWrongArgumentCount,
                "Wrong number of arguments or invalid property assignment"},
    Description{errc::kDuplicateKey,
                "This key is already associated with an element of this collection"},
};

// What the run-time says for a number it has no text of its own for.
constexpr std::string_view kApplicationDefined = "Application-defined or object-defined error";

std::string DescriptionFor(int32_t number, std::string description) {
  if (!description.empty() || number == 0) return description;
  std::string_view standard = StandardDescription(number);
  return std::string(standard.empty() ? kApplicationDefined : standard);
}

}  // namespace

std::string_view StandardDescription(int32_t number) {
  for (const Description& entry : kStandardDescriptions) {
    if (entry.number == number) return entry.text;
  }
  return {};
}

Error::Error(int32_t number, std::string description, std::string source)
    : number_(number),
      source_(std::move(source)),
      description_(DescriptionFor(number, std::move(description))) {}

void Raise(int32_t number, std::string description, std::string source) {
  throw Error(number, std::move(description), std::move(source));
}

}  // namespace tamrel
