#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;

enum class Order { kLess, kEqual, kGreater, kUnordered };

Order Compare(const Variant& a, const Variant& b) {
  const bool less = a < b;
  const bool greater = b < a;
  const bool equal = a == b;
  EXPECT_LE(int{less} + int{greater} + int{equal}, 1) << "inconsistent order";
  if (less) return Order::kLess;
  if (greater) return Order::kGreater;
  return equal ? Order::kEqual : Order::kUnordered;
}

TEST(CompareTest, MixedKinds) {
  struct Case {
    Variant a;
    Variant b;
    Order order;
  } cases[] = {
      {Variant(int16_t{2}), Variant(2.0), Order::kEqual},
      {Variant(1), Variant(1.5f), Order::kLess},
      {Variant(true), Variant(-1), Order::kEqual},
      {Variant(false), Variant(true), Order::kGreater},  // True is -1
      {Variant::FromDate(2.0), Variant(2.0), Order::kEqual},
      {Variant(), Variant(0), Order::kEqual},
      {Variant(), Variant(-0.5), Order::kGreater},
      {Variant(), Variant(""), Order::kEqual},
      {Variant(), Variant("a"), Order::kLess},
      {Variant(), Variant(), Order::kEqual},
      {Variant(5), Variant("3"), Order::kLess},  // numbers below texts
      {Variant(5), Variant("5"), Order::kLess},
      {Variant("10"), Variant("9"), Order::kLess},  // texts by bytes
      {Variant("B"), Variant("a"), Order::kLess},
      {Variant("a"), Variant("ab"), Order::kLess},
      {Variant("\xC3\xA4"), Variant("z"), Order::kGreater},  // bytes are unsigned
      {Variant(true), Variant("False"), Order::kLess},
      {Variant::Null(), Variant::Null(), Order::kUnordered},
      {Variant::Null(), Variant(), Order::kUnordered},
      {Variant::Null(), Variant("x"), Order::kUnordered},
      {Variant(1), Variant::Null(), Order::kUnordered},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Compare(c.a, c.b), c.order) << TypeName(c.a) << " " << ConcatText(c.a) << " vs "
                                          << TypeName(c.b) << " " << ConcatText(c.b);
  }
}

TEST(CompareTest, ObjectsAndArraysCannotBeCompared) {
  const Variant object(std::make_shared<Dictionary>());
  const Variant array(VariantArray({Variant(1)}));
  for (const Variant& other : {Variant(1), Variant("x"), Variant::Null(), object}) {
    EXPECT_EQ(ErrorNumberOf([&] { (void)(object == other); }), errc::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([&] { (void)(other < array); }), errc::kTypeMismatch);
  }
}

}  // namespace
}  // namespace tamrel
