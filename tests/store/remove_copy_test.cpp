// Remove, Clear, CloneAdd, Clone and Copy.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/store_fixture.hpp"

namespace tamrel::testing {
namespace {

using RemoveCopyTest = StoreTest;

// T/x holds 1=c 2=b 3=a, T/y 1=z, U/x 1=u.
void FillSample(ContextCls& context) {
  context.Add("U", "x", Variant("u"));
  for (const char* value : {"a", "b", "c"}) context.Add("T", "x", Variant(value));
  context.Add("T", "y", Variant("z"));
}

TEST_F(RemoveCopyTest, RemoveByTagIdAndValue) {
  const Texts all = {"T/y/1=z", "T/x/1=c", "T/x/2=b", "T/x/3=a", "U/x/1=u"};
  struct Case {
    std::optional<Variant> id, value;
    Texts left;
  } cases[] = {
      {std::nullopt, std::nullopt, {"U/x/1=u"}},
      {Variant("x"), std::nullopt, {"T/y/1=z", "U/x/1=u"}},
      {Variant("x"), Variant("b"), {"T/y/1=z", "T/x/1=c", "T/x/3=a", "U/x/1=u"}},
      {Variant("X"), std::nullopt, all},
      {Variant("x"), Variant(""), all},
  };
  for (const Case& c : cases) {
    ctx->Clear();
    FillSample(*ctx);
    ctx->Remove("T", c.id, c.value);
    EXPECT_EQ(Layout(), c.left);
  }
  ctx->Remove("Absent");
  EXPECT_TRUE(ctx->changed()) << "even when nothing matches";
  EXPECT_TRUE(host->calls().empty());
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

TEST_F(RemoveCopyTest, CloneAddKeepsTheInstanceItIsHandedWithin16Bits) {
  ctx->CloneAdd("T", "x", "seven", 7);
  ctx->CloneAdd("", "", "anything", -32768);
  EXPECT_EQ(Layout(), (Texts{"T/x/7=seven", "//-32768=anything"}));
  EXPECT_FALSE(ctx->changed());
  ctx->CloneAdd("T", "x", "big", 32768);
  ctx->CloneAdd("T", "x", "small", -32769);
  EXPECT_EQ(host->Errors(), (Reports{{"Tamrel/ContextCls/CloneAdd", errc::kOverflow},
                                     {"Tamrel/ContextCls/CloneAdd", errc::kOverflow}}));
  ctx->CloneAdd("T", "x", "next", 1);
  EXPECT_EQ(Keys(), (Texts{"A1", "A2", "A3"})) << "the refused records used no key";
  ctx->Clear();
  EXPECT_FALSE(ctx->changed()) << "Clear leaves changed as it was";
}

TEST_F(RemoveCopyTest, CloneCreatesOrEmptiesTheTargetAndCopiesKeysAfresh) {
  FillSample(*ctx);
  ctx->MoveNext("T", "x");
  std::shared_ptr<ContextCls> created;
  ctx->Clone(created);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(Layout(*created), Layout());
  EXPECT_EQ(Layout(*created, true), (Texts{"A1", "A2", "A3", "A4", "A5"}));
  EXPECT_FALSE(created->changed());
  EXPECT_TRUE(detail::StateOf(*created).cursors.empty());

  auto target = std::make_shared<ContextCls>();
  target->name("Target");
  target->Add("Old", "x", Variant("o"));
  target->MoveFirst("Old", "x");
  std::shared_ptr<ContextCls> reference = target;
  ctx->Clone(reference);
  EXPECT_EQ(reference, target);
  EXPECT_EQ(Layout(*target), Layout());
  EXPECT_EQ(Layout(*target, true).front(), "A2");
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

}  // namespace
}  // namespace tamrel::testing
