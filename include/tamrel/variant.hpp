// Variant: the automation value type of the interface, with the run-time's
// conversions, tests and comparison.
//
// Text forms (CStr): integers in decimal; Double with up to 15 significant
// digits and Single with up to 7, no trailing zeros, exponent form (1E+20,
// 1E-05) only for very large or small magnitudes; dates as
// "yyyy-mm-dd hh:mm:ss", or "yyyy-mm-dd" at midnight; Booleans as the system
// Boolean words of the platform hooks ("True"/"False" by default).
// Numeric text: optional blanks around, optional sign, digits with an optional
// decimal point, optional exponent. Date text: "yyyy-mm-dd" or
// "yyyy-mm-dd hh:mm:ss".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tamrel/export.hpp"

namespace tamrel {

class Object;
class VariantArray;
using ObjectRef = std::shared_ptr<Object>;

enum class VariantKind {
  Empty,
  Null,
  Boolean,
  Integer,  // int16_t
  Long,     // int32_t
  Single,   // float
  Double,   // double
  Date,     // OLE date: days since 1899-12-30, fraction = time of day
  String,
  Object,
  Array,
};

class TAMREL_EXPORT Variant {
 public:
  Variant() = default;  // Empty
  static Variant Null();
  Variant(bool value);
  Variant(int16_t value);
  Variant(int32_t value);
  Variant(float value);
  Variant(double value);
  Variant(const char* value);
  Variant(std::string value);
  Variant(ObjectRef value);
  Variant(VariantArray value);
  static Variant FromDate(double ole_date);

  VariantKind kind() const;
  bool IsEmpty() const { return kind() == VariantKind::Empty; }
  bool IsNull() const { return kind() == VariantKind::Null; }
  bool IsString() const { return kind() == VariantKind::String; }
  bool IsObject() const { return kind() == VariantKind::Object; }
  bool IsArray() const { return kind() == VariantKind::Array; }
  // Integer, Long, Single, Double (Boolean and Date are not "numbers" here).
  bool IsNumber() const;

  // Direct access to the held value. REQUIRES: the variant holds that kind;
  // otherwise error 13 (type mismatch) is raised.
  bool AsBoolean() const;
  int16_t AsInteger() const;
  int32_t AsLong() const;
  float AsSingle() const;
  double AsDouble() const;  // Double only
  double AsDate() const;
  const std::string& AsString() const;
  const ObjectRef& AsObject() const;
  const VariantArray& AsArray() const;

  // The value as a double for Boolean (-1/0), the number kinds and Date.
  // REQUIRES: one of those kinds.
  double NumericValue() const;

 private:
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  struct DateTag {
    double value;
  };
  using Storage =
      std::variant<std::monostate, NullTag, bool, int16_t, int32_t, float, double, DateTag,
                   std::string, ObjectRef, std::shared_ptr<const VariantArray>>;
  Storage storage_;
};

// One dimension of an array: lower and upper bound, both inclusive.
struct ArrayBounds {
  int32_t lower = 0;
  int32_t upper = -1;
};

// An array of variants with one or more dimensions. An array made with no
// dimensions is "not allocated" (as a dynamic array before ReDim).
class TAMREL_EXPORT VariantArray {
 public:
  VariantArray() = default;
  // A one-dimensional array of `values`, indexed from `lower`.
  explicit VariantArray(std::vector<Variant> values, int32_t lower = 0);
  // An array with the given dimensions, every element Empty.
  explicit VariantArray(std::vector<ArrayBounds> dimensions);

  int32_t Dimensions() const { return static_cast<int32_t>(dimensions_.size()); }
  bool IsAllocated() const { return !dimensions_.empty(); }
  // Bounds of dimension `dimension` (1-based); error 9 when there is none.
  int32_t LBound(int32_t dimension = 1) const;
  int32_t UBound(int32_t dimension = 1) const;

  // The element at the given indices, one per dimension; error 9 when the
  // count or any index is out of range.
  const Variant& At(const std::vector<int32_t>& indices) const;
  Variant& At(const std::vector<int32_t>& indices);
  // One-dimensional shorthand.
  const Variant& operator[](int32_t index) const { return At({index}); }
  Variant& operator[](int32_t index) { return At({index}); }

  // All elements, first dimension varying slowest.
  const std::vector<Variant>& Elements() const { return elements_; }

 private:
  std::size_t Offset(const std::vector<int32_t>& indices) const;

  std::vector<ArrayBounds> dimensions_;
  std::vector<Variant> elements_;
};

// The automation run-time's functions on variants. Conversions raise Error:
// 94 for Null, 13 for a value that has no such form, 6 on overflow.
TAMREL_EXPORT std::string TypeName(const Variant& v);
TAMREL_EXPORT std::string CStr(const Variant& v);
TAMREL_EXPORT bool CBool(const Variant& v);
// CBool without raising: the Boolean, or nothing where CBool would fail.
TAMREL_EXPORT std::optional<bool> TryCBool(const Variant& v);
TAMREL_EXPORT int16_t CInt(const Variant& v);  // rounds halves to even
TAMREL_EXPORT int32_t CLng(const Variant& v);  // rounds halves to even
TAMREL_EXPORT double CDbl(const Variant& v);
TAMREL_EXPORT bool IsNumeric(const Variant& v);
TAMREL_EXPORT bool IsDate(const Variant& v);
TAMREL_EXPORT bool IsNull(const Variant& v);
TAMREL_EXPORT bool IsEmpty(const Variant& v);

// Text as the concatenation operator makes it: Null and Empty give "",
// everything else CStr.
TAMREL_EXPORT std::string ConcatText(const Variant& v);

// Parses numeric text as IsNumeric accepts it.
TAMREL_EXPORT std::optional<double> ParseNumericText(const std::string& text);
// Parses date text as IsDate accepts it, to an OLE date.
TAMREL_EXPORT std::optional<double> ParseDateText(const std::string& text);
// The text form of an OLE date.
TAMREL_EXPORT std::string FormatDate(double ole_date);

// Comparison with the variant rules: numbers (Boolean, Date and Empty
// included) by value, texts by byte order, numbers less than texts, Empty as 0
// against a number and as "" against a text. Any comparison with Null is
// false. Objects and arrays raise error 13.
TAMREL_EXPORT bool operator==(const Variant& a, const Variant& b);
TAMREL_EXPORT bool operator<(const Variant& a, const Variant& b);
inline bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

}  // namespace tamrel
