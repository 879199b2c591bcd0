// The run-time's conversion functions and tests on variants.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "automation/boolean_words.hpp"
#include "automation/number_text.hpp"
#include "tamrel/error.hpp"
#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

// Null fails every conversion; objects and arrays have no scalar form.
void RequireScalar(const Variant& v) {
  if (v.IsNull()) Raise(errc::kInvalidUseOfNull);
  if (v.IsObject() || v.IsArray()) Raise(errc::kTypeMismatch);
}

// The number a scalar stands for: Empty 0, Boolean -1/0, numbers and dates
// by value, texts through numeric text (error 13 when they are not numeric).
double ScalarNumber(const Variant& v) {
  RequireScalar(v);
  if (v.IsEmpty()) return 0;
  if (v.IsString()) {
    std::optional<double> number = ParseNumericText(v.AsString());
    if (!number) Raise(errc::kTypeMismatch);
    return *number;
  }
  return v.NumericValue();
}

// Banker's rounding, as the run-time's integer conversions round.
double RoundHalfToEven(double value) {
  if (std::fabs(value - std::trunc(value)) == 0.5) return 2.0 * std::round(value / 2.0);
  return std::round(value);
}

template <class Int>
Int ToInteger(const Variant& v, double low, double high) {
  const double rounded = RoundHalfToEven(ScalarNumber(v));
  if (!(rounded >= low && rounded <= high)) Raise(errc::kOverflow);  // NaN too
  return static_cast<Int>(rounded);
}

// The text as one of the system Boolean words, in any ASCII letter case.
std::optional<bool> AsBooleanWord(const std::string& text) {
  const detail::BooleanWordPair words = detail::SystemBooleanWords();
  if (!words.true_word.empty() && SameName(text, words.true_word)) return true;
  if (!words.false_word.empty() && SameName(text, words.false_word)) return false;
  return std::nullopt;
}

}  // namespace

std::string TypeName(const Variant& v) {
  switch (v.kind()) {
    case VariantKind::Empty:
      return "Empty";
    case VariantKind::Null:
      return "Null";
    case VariantKind::Boolean:
      return "Boolean";
    case VariantKind::Integer:
      return "Integer";
    case VariantKind::Long:
      return "Long";
    case VariantKind::Single:
      return "Single";
    case VariantKind::Double:
      return "Double";
    case VariantKind::Date:
      return "Date";
    case VariantKind::String:
      return "String";
    case VariantKind::Object:
      return v.AsObject() ? v.AsObject()->TypeName() : "Nothing";
    case VariantKind::Array:
      return "Variant()";
  }
  return "Unknown";
}

std::string CStr(const Variant& v) {
  RequireScalar(v);
  switch (v.kind()) {
    case VariantKind::Boolean: {
      const detail::BooleanWordPair words = detail::SystemBooleanWords();
      return v.AsBoolean() ? words.true_word : words.false_word;
    }
    case VariantKind::Integer:
      return std::to_string(v.AsInteger());
    case VariantKind::Long:
      return std::to_string(v.AsLong());
    case VariantKind::Single:
      return detail::FormatSingle(v.AsSingle());
    case VariantKind::Double:
      return detail::FormatDouble(v.AsDouble());
    case VariantKind::Date:
      return FormatDate(v.AsDate());
    case VariantKind::String:
      return v.AsString();
    default:  // Empty
      return "";
  }
}

std::optional<bool> TryCBool(const Variant& v) {
  switch (v.kind()) {
    case VariantKind::Null:
    case VariantKind::Object:
    case VariantKind::Array:
      return std::nullopt;
    case VariantKind::Empty:
      return false;
    case VariantKind::String: {
      if (std::optional<bool> word = AsBooleanWord(v.AsString())) return *word;
      std::optional<double> number = ParseNumericText(v.AsString());
      if (!number) return std::nullopt;
      return *number != 0;
    }
    default:
      return v.NumericValue() != 0;
  }
}

bool CBool(const Variant& v) {
  RequireScalar(v);
  std::optional<bool> value = TryCBool(v);
  if (!value) Raise(errc::kTypeMismatch);
  return *value;
}

int16_t CInt(const Variant& v) { return ToInteger<int16_t>(v, -32768.0, 32767.0); }

int32_t CLng(const Variant& v) { return ToInteger<int32_t>(v, -2147483648.0, 2147483647.0); }

double CDbl(const Variant& v) { return ScalarNumber(v); }

bool IsNumeric(const Variant& v) {
  switch (v.kind()) {
    case VariantKind::Empty:
    case VariantKind::Boolean:
      return true;
    case VariantKind::String:
      return ParseNumericText(v.AsString()).has_value();
    default:
      return v.IsNumber();
  }
}

bool IsDate(const Variant& v) {
  if (v.kind() == VariantKind::Date) return true;
  return v.IsString() && ParseDateText(v.AsString()).has_value();
}

bool IsNull(const Variant& v) { return v.IsNull(); }
bool IsEmpty(const Variant& v) { return v.IsEmpty(); }

std::string ConcatText(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return "";
  return CStr(v);
}

}  // namespace tamrel
