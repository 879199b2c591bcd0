#include <cstdint>
#include <utility>

#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

int64_t Extent(const ArrayBounds& bounds) {
  return int64_t{bounds.upper} - int64_t{bounds.lower} + 1;
}

// The element count of the given dimensions; error 9 for a dimension whose
// upper bound lies more than one below its lower bound, error 7 beyond what a
// run-time array can hold.
std::size_t ElementCount(const std::vector<ArrayBounds>& dimensions) {
  int64_t count = 1;
  for (const ArrayBounds& bounds : dimensions) {
    if (Extent(bounds) < 0) Raise(errc::kSubscriptOutOfRange);
    count *= Extent(bounds);
    if (count > INT32_MAX) Raise(errc::kOutOfMemory);
  }
  return static_cast<std::size_t>(count);
}

}  // namespace

VariantArray::VariantArray(std::vector<Variant> values, int32_t lower)
    : elements_(std::move(values)) {
  const int64_t upper = int64_t{lower} + static_cast<int64_t>(elements_.size()) - 1;
  if (upper > INT32_MAX) Raise(errc::kSubscriptOutOfRange);
  dimensions_.push_back(ArrayBounds{lower, static_cast<int32_t>(upper)});
}

VariantArray::VariantArray(std::vector<ArrayBounds> dimensions)
    : dimensions_(std::move(dimensions)) {
  if (!dimensions_.empty()) elements_.resize(ElementCount(dimensions_));
}

int32_t VariantArray::LBound(int32_t dimension) const {
  if (dimension < 1 || dimension > Dimensions()) Raise(errc::kSubscriptOutOfRange);
  return dimensions_[static_cast<std::size_t>(dimension - 1)].lower;
}

int32_t VariantArray::UBound(int32_t dimension) const {
  if (dimension < 1 || dimension > Dimensions()) Raise(errc::kSubscriptOutOfRange);
  return dimensions_[static_cast<std::size_t>(dimension - 1)].upper;
}

const Variant& VariantArray::At(const std::vector<int32_t>& indices) const {
  return elements_[Offset(indices)];
}

Variant& VariantArray::At(const std::vector<int32_t>& indices) {
  return elements_[Offset(indices)];
}

// Row-major: the last index varies fastest.
std::size_t VariantArray::Offset(const std::vector<int32_t>& indices) const {
  if (dimensions_.empty() || indices.size() != dimensions_.size()) {
    Raise(errc::kSubscriptOutOfRange);
  }
  int64_t offset = 0;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const ArrayBounds& bounds = dimensions_[i];
    if (indices[i] < bounds.lower || indices[i] > bounds.upper) Raise(errc::kSubscriptOutOfRange);
    offset = offset * Extent(bounds) + (int64_t{indices[i]} - bounds.lower);
  }
  return static_cast<std::size_t>(offset);
}

}  // namespace tamrel
