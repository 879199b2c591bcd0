#include "tamrel/variant.hpp"

#include <type_traits>
#include <utility>

#include "tamrel/error.hpp"

namespace tamrel {
namespace {

// The held value of kind T, or error 13 when the variant holds another kind.
template <class T, class Storage>
const T& Held(const Storage& storage) {
  const T* value = std::get_if<T>(&storage);
  if (value == nullptr) Raise(errc::kTypeMismatch);
  return *value;
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.storage_ = NullTag{};
  return v;
}

Variant::Variant(bool value) : storage_(value) {}
Variant::Variant(int16_t value) : storage_(value) {}
Variant::Variant(int32_t value) : storage_(value) {}
Variant::Variant(float value) : storage_(value) {}
Variant::Variant(double value) : storage_(value) {}
Variant::Variant(const char* value) : storage_(std::string(value != nullptr ? value : "")) {}
Variant::Variant(std::string value) : storage_(std::move(value)) {}
Variant::Variant(ObjectRef value) : storage_(std::move(value)) {}
Variant::Variant(VariantArray value)
    : storage_(std::make_shared<const VariantArray>(std::move(value))) {}

Variant Variant::FromDate(double ole_date) {
  Variant v;
  v.storage_ = DateTag{ole_date};
  return v;
}

VariantKind Variant::kind() const {
  // The alternatives of Storage are listed in the order of VariantKind.
  static_assert(std::variant_size_v<Storage> == static_cast<std::size_t>(VariantKind::Array) + 1);
  static_assert(std::is_same_v<
                std::variant_alternative_t<static_cast<std::size_t>(VariantKind::Date), Storage>,
                DateTag>);
  return static_cast<VariantKind>(storage_.index());
}

bool Variant::IsNumber() const {
  switch (kind()) {
    case VariantKind::Integer:
    case VariantKind::Long:
    case VariantKind::Single:
    case VariantKind::Double:
      return true;
    default:
      return false;
  }
}

bool Variant::AsBoolean() const { return Held<bool>(storage_); }
int16_t Variant::AsInteger() const { return Held<int16_t>(storage_); }
int32_t Variant::AsLong() const { return Held<int32_t>(storage_); }
float Variant::AsSingle() const { return Held<float>(storage_); }
double Variant::AsDouble() const { return Held<double>(storage_); }
double Variant::AsDate() const { return Held<DateTag>(storage_).value; }
const std::string& Variant::AsString() const { return Held<std::string>(storage_); }
const ObjectRef& Variant::AsObject() const { return Held<ObjectRef>(storage_); }
const VariantArray& Variant::AsArray() const {
  return *Held<std::shared_ptr<const VariantArray>>(storage_);
}

double Variant::NumericValue() const {
  switch (kind()) {
    case VariantKind::Boolean:
      return AsBoolean() ? -1.0 : 0.0;
    case VariantKind::Integer:
      return AsInteger();
    case VariantKind::Long:
      return AsLong();
    case VariantKind::Single:
      return static_cast<double>(AsSingle());
    case VariantKind::Double:
      return AsDouble();
    case VariantKind::Date:
      return AsDate();
    default:
      Raise(errc::kTypeMismatch);
  }
}

}  // namespace tamrel
