// The Boolean and numeric value helpers. The store keeps Booleans as the
// English words "True" and "False"; these helpers recognise and convert
// Boolean values whatever the language of the system's own Boolean words.
#include <optional>
#include <string>

#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

constexpr const char* kTrueText = "True";
constexpr const char* kFalseText = "False";

bool IsBooleanText(const Variant& val) {
  return val.IsString() && (val.AsString() == kTrueText || val.AsString() == kFalseText);
}

// An English system converts Booleans to exactly "True" and "False".
bool SystemIsEnglish() {
  const platform::BooleanWords words = platform::Current().boolean_words();
  return words.true_word == kTrueText && words.false_word == kFalseText;
}

}  // namespace

bool ContextCls::isBoolean(const Variant& val) {
  try {
    if (val.kind() == VariantKind::Boolean) return true;
    if (IsNumeric(val) || IsDate(val)) return false;
    if (TryCBool(val)) return true;
    // The English words pass on a system whose own conversion refuses them.
    return !SystemIsEnglish() && IsBooleanText(val);
  } catch (...) {
    return false;
  }
}

bool ContextCls::isBadBoolean(const Variant& val) { return !IsBooleanText(val); }

bool ContextCls::MYcBool(const Variant& val) {
  if (std::optional<bool> converted = TryCBool(val)) return *converted;
  if (val.IsString() && !SystemIsEnglish()) return val.AsString() == kTrueText;
  return false;
}

std::string ContextCls::cBoolStr(const Variant& val) {
  if (val.kind() == VariantKind::Boolean) return val.AsBoolean() ? kTrueText : kFalseText;
  if (val.IsString()) return MYcBool(val) ? kTrueText : kFalseText;
  return kFalseText;
}

Variant(ContextCls::min)(const VariantArray& vals) {
  // Only index 0 and up are looked at; the lower bound itself is not consulted.
  if (vals.Dimensions() != 1 || vals.LBound() > 0 || vals.UBound() < 0) {
    Raise(errc::kSubscriptOutOfRange);
  }
  const Variant* candidate = &vals[0];
  for (int32_t i = 1; i <= vals.UBound(); ++i) {
    if (vals[i] < *candidate) candidate = &vals[i];
  }
  return *candidate;
}

}  // namespace tamrel
