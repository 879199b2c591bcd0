#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error_number.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;

TEST(VariantArrayTest, BoundsElementOrderAndCopies) {
  VariantArray array({Variant("a"), Variant("b"), Variant("c")}, 1);
  EXPECT_EQ(CStr(array[1]) + CStr(array[3]), "ac");
  EXPECT_EQ(ErrorNumberOf([&] { (void)array[4]; }), errc::kSubscriptOutOfRange);
  EXPECT_EQ(VariantArray(std::vector<Variant>{}).UBound(), -1);
  EXPECT_EQ(ErrorNumberOf([] { VariantArray().LBound(); }), errc::kSubscriptOutOfRange);
  const Variant held(array);  // a copy: later changes to the array stay out of it
  array[1] = Variant("z");
  EXPECT_EQ(CStr(held.AsArray()[1]), "a");

  VariantArray grid(std::vector<ArrayBounds>{{1, 2}, {-1, 1}});
  // Every element is reachable and distinct; the first index varies slowest.
  for (int32_t i = 1; i <= 2; ++i) {
    for (int32_t j = -1; j <= 1; ++j) grid.At({i, j}) = Variant(i * 10 + j);
  }
  std::string elements;
  for (const Variant& element : grid.Elements()) elements += CStr(element) + " ";
  EXPECT_EQ(elements, "9 10 11 19 20 21 ");
  EXPECT_EQ(ErrorNumberOf([&] { grid.At({1}); }), errc::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { grid.At({3, 0}); }), errc::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { grid.At({1, 2}); }), errc::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace tamrel
