#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/store_fixture.hpp"

namespace tamrel::testing {
namespace {

using RemoveCopyTest = StoreTest;
using Reports = std::vector<std::pair<std::string, int32_t>>;

// T/x holds 1=c 2=b 3=a, T/y 1=z, U/x 1=u.
void FillSample(ContextCls& context) {
  context.Add("U", "x", Variant("u"));
  for (const char* value : {"a", "b", "c"}) context.Add("T", "x", Variant(value));
  context.Add("T", "y", Variant("z"));
}

TEST_F(RemoveCopyTest, RemoveByTagIdAndValue) {
  struct Case {
    std::optional<Variant> id, value;
    Texts left;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, {"U/x/1=u"}},
      {Variant("x"), std::nullopt, {"T/y/1=z", "U/x/1=u"}},
      {Variant("x"), Variant("b"), {"T/y/1=z", "T/x/1=c", "T/x/3=a", "U/x/1=u"}},
      {Variant("X"), std::nullopt, {"T/y/1=z", "T/x/1=c", "T/x/2=b", "T/x/3=a", "U/x/1=u"}},
      {Variant("x"), Variant(""), {"T/y/1=z", "T/x/1=c", "T/x/2=b", "T/x/3=a", "U/x/1=u"}},
  };
  for (const Case& c : cases) {
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(host);
    FillSample(*context);
    context->Remove("T", c.id, c.value);
    EXPECT_EQ(Layout(*context), c.left);
  }
  EXPECT_TRUE(host->calls().empty());
}

TEST_F(RemoveCopyTest, RemoveMarksChangedEvenWhenNothingMatches) {
  ctx->Remove("Absent");
  EXPECT_TRUE(ctx->changed());
}

TEST_F(RemoveCopyTest, RemoveComparesAnIdThatIsNotTextByItsTextForm) {
  ctx->Add("T", "7", Variant("v"));
  ctx->Remove("T", Variant(int32_t{7}));
  EXPECT_TRUE(Layout().empty());

  ctx->Remove("T", Variant::Null());
  EXPECT_TRUE(host->calls().empty()) << "no record of T to compare with";
  ctx->Add("T", "x", Variant("v"));
  ctx->Remove("T", Variant::Null());
  EXPECT_EQ(host->Errors(), (Reports{{"Tamrel/ContextCls/Remove", errc::kInvalidUseOfNull}}));
  EXPECT_EQ(Layout(), (Texts{"T/x/1=v"}));
}

TEST_F(RemoveCopyTest, ClearEmptiesTheStoreButKeepsCursorsAndChanged) {
  FillSample(*ctx);
  ctx->MoveNext("T", "x");
  auto loaded = std::make_shared<ContextCls>();
  loaded->CloneAdd("T", "x", "v", 1);
  loaded->Clear();
  EXPECT_FALSE(loaded->changed());
  ctx->Clear();
  EXPECT_TRUE(Layout().empty());
  EXPECT_EQ(Cursor("T", "x"), 2);
  EXPECT_TRUE(ctx->changed());
}

TEST_F(RemoveCopyTest, CloneAddKeepsTheInstanceItIsHandedWithin16Bits) {
  ctx->CloneAdd("T", "x", "seven", 7);
  ctx->CloneAdd("", "", "anything", -32768);
  EXPECT_EQ(Layout(), (Texts{"T/x/7=seven", "//-32768=anything"}));
  EXPECT_FALSE(ctx->changed());

  ctx->CloneAdd("T", "x", "big", 32768);
  ctx->CloneAdd("T", "x", "small", -32769);
  EXPECT_EQ(Layout().size(), 2u);
  EXPECT_EQ(host->Errors(), (Reports{{"Tamrel/ContextCls/CloneAdd", errc::kOverflow},
                                     {"Tamrel/ContextCls/CloneAdd", errc::kOverflow}}));
  ctx->CloneAdd("T", "x", "next", 1);
  EXPECT_EQ(Keys(*ctx).back(), "A3") << "the refused records used no key";
}

TEST_F(RemoveCopyTest, CloneIntoAnEmptyReferenceCreatesTheTarget) {
  FillSample(*ctx);
  ctx->MoveNext("T", "x");
  std::shared_ptr<ContextCls> target;
  ctx->Clone(target);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(Layout(*target), Layout());
  EXPECT_EQ(Keys(*target), (Texts{"A1", "A2", "A3", "A4", "A5"}));
  EXPECT_FALSE(target->changed());
  EXPECT_TRUE(detail::StateOf(*target).cursors.empty());
  EXPECT_THROW(target->Remove("T", Variant::Null()), Error) << "the new target has no host";
}

TEST_F(RemoveCopyTest, CloneIntoAnObjectEmptiesItFirstAndKeepsItsOwnState) {
  FillSample(*ctx);
  auto target = std::make_shared<ContextCls>();
  target->name("Target");
  target->Add("Old", "x", Variant("o"));
  target->MoveFirst("Old", "x");
  std::shared_ptr<ContextCls> reference = target;
  ctx->Clone(reference);
  EXPECT_EQ(reference, target);
  EXPECT_EQ(Layout(*target), Layout());
  EXPECT_EQ(Keys(*target).front(), "A2");
  EXPECT_EQ(target->name(), "Target");
  EXPECT_EQ(detail::StateOf(*target).cursors.at("Old_x"), 1);
}

TEST_F(RemoveCopyTest, CopyReplacesOnlyTheTargetsRecordsOfTheTag) {
  FillSample(*ctx);
  auto target = std::make_shared<ContextCls>();
  target->SetApplicationContext(host);
  target->CloneAdd("T", "old", "gone", 1);
  target->CloneAdd("V", "x", "kept", 2);
  ctx->Copy(target, "T");
  EXPECT_EQ(Layout(*target), (Texts{"V/x/2=kept", "T/y/1=z", "T/x/1=c", "T/x/2=b", "T/x/3=a"}));
  EXPECT_TRUE(target->changed());

  ctx->Copy(nullptr, "T");
  EXPECT_EQ(host->Errors(), (Reports{{"Tamrel/ContextCls/Copy", errc::kObjectNotSet}}));
}

TEST_F(RemoveCopyTest, DumpLeavesEverythingAsItWas) {
  FillSample(*ctx);
  const Texts before = Layout();
  ctx->Dump();
  EXPECT_EQ(Layout(), before);
  EXPECT_TRUE(host->calls().empty());
}

}  // namespace
}  // namespace tamrel::testing
