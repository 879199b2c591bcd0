#include <gtest/gtest.h>

#include <memory>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

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

// True is -1; Empty is 0 and ""; numbers sort below texts, texts by their
// bytes taken as unsigned; Null is unordered.
TEST(CompareTest, MixedKinds) {
  const struct {
    Variant a, b;
    Order order;
  } cases[] = {{int16_t{2}, 2.0, Order::kEqual},
               {1, 1.5f, Order::kLess},
               {true, -1, Order::kEqual},
               {false, true, Order::kGreater},
               {Variant::FromDate(2.0), 2.0, Order::kEqual},
               {Variant(), 0, Order::kEqual},
               {Variant(), -0.5, Order::kGreater},
               {Variant(), "", Order::kEqual},
               {Variant(), "a", Order::kLess},
               {5, "3", Order::kLess},
               {"10", "9", Order::kLess},
               {"B", "a", Order::kLess},
               {"a", "ab", Order::kLess},
               {"\xC3\xA4", "z", Order::kGreater},
               {true, "False", Order::kLess},
               {Variant::Null(), Variant::Null(), Order::kUnordered},
               {Variant::Null(), Variant(), Order::kUnordered},
               {1, Variant::Null(), Order::kUnordered}};
  for (const auto& c : cases) {
    EXPECT_EQ(Compare(c.a, c.b), c.order) << TypeName(c.a) << " " << ConcatText(c.a) << " vs "
                                          << TypeName(c.b) << " " << ConcatText(c.b);
  }
}

TEST(CompareTest, ObjectsAndArraysCannotBeCompared) {
  const Variant object(std::make_shared<Dictionary>());
  const Variant array(VariantArray({Variant(1)}));
  for (const Variant& other : {Variant(1), Variant::Null(), object}) {
    EXPECT_EQ(testing::ErrorNumberOf([&] { (void)(object == other); }), errc::kTypeMismatch);
    EXPECT_EQ(testing::ErrorNumberOf([&] { (void)(other < array); }), errc::kTypeMismatch);
  }
}

}  // namespace
}  // namespace tamrel
