// Variant comparison: numbers (Boolean, Date and Empty included) by value,
// texts by byte order, numbers below texts, Empty as 0 or "" depending on
// the other side. Null makes every comparison false.
#include <compare>
#include <optional>

#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

// The order of a and b, or nothing when a Null is involved (unordered).
// Error 13 for objects and arrays.
std::optional<std::partial_ordering> Order(const Variant& a, const Variant& b) {
  for (const Variant* v : {&a, &b}) {
    if (v->IsObject() || v->IsArray()) Raise(errc::kTypeMismatch);
  }
  if (a.IsNull() || b.IsNull()) return std::nullopt;
  if (a.IsEmpty() && b.IsEmpty()) return std::partial_ordering::equivalent;
  if (a.IsString() || b.IsString()) {
    if (a.IsString() && b.IsString()) return a.AsString() <=> b.AsString();
    // One text against Empty (read as "") or a number (below every text).
    const Variant& other = a.IsString() ? b : a;
    std::partial_ordering text_vs_other = std::partial_ordering::greater;
    if (other.IsEmpty()) text_vs_other = (a.IsString() ? a : b).AsString() <=> std::string();
    if (a.IsString()) return text_vs_other;
    return 0 <=> text_vs_other;  // the reverse order
  }
  const double x = a.IsEmpty() ? 0.0 : a.NumericValue();
  const double y = b.IsEmpty() ? 0.0 : b.NumericValue();
  return x <=> y;
}

}  // namespace

bool operator==(const Variant& a, const Variant& b) {
  std::optional<std::partial_ordering> order = Order(a, b);
  return order && *order == 0;
}

bool operator<(const Variant& a, const Variant& b) {
  std::optional<std::partial_ordering> order = Order(a, b);
  return order && *order < 0;
}

}  // namespace tamrel
