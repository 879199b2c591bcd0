#include <gtest/gtest.h>

#include <memory>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

// True is -1; Empty is 0 and ""; numbers sort below texts, texts by their
// bytes taken as unsigned; Null is unordered.
TEST(CompareTest, MixedKinds) {
  enum Order { kLess, kEqual, kGreater, kUnordered };
  const struct {
    Variant a, b;
    Order order;
  } cases[] = {{int16_t{2}, 2.0, kEqual},
               {false, true, kGreater},
               {Variant::FromDate(2.0), 2.0, kEqual},
               {Variant(), "", kEqual},
               {5, "3", kLess},
               {"B", "a", kLess},
               {"\xC3\xA4", "z", kGreater},
               {1, Variant::Null(), kUnordered}};
  for (const auto& c : cases) {
    const bool less = c.a < c.b, greater = c.b < c.a, equal = c.a == c.b;
    EXPECT_LE(int{less} + int{greater} + int{equal}, 1) << "inconsistent order";
    const Order order = less ? kLess : greater ? kGreater : equal ? kEqual : kUnordered;
    EXPECT_EQ(order, c.order) << ConcatText(c.a) << " vs " << ConcatText(c.b);
  }
}

TEST(CompareTest, ObjectsAndArraysCannotBeCompared) {
  const Variant object(std::make_shared<Dictionary>()), array(VariantArray({Variant(1)}));
  EXPECT_EQ(testing::ErrorNumberOf([&] { (void)(object == object); }), errc::kTypeMismatch);
  EXPECT_EQ(testing::ErrorNumberOf([&] { (void)(Variant(1) < array); }), errc::kTypeMismatch);
}

}  // namespace
}  // namespace tamrel
