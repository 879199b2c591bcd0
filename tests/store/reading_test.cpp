// The cursor operations: MoveFirst, EOF, Read, MoveNext, Item, Value,
// Exists and Count.
#include <string>
#include <vector>

#include "store/store_fixture.hpp"

namespace tamrel::testing {
namespace {

using ReadingTest = StoreTest;

TEST_F(ReadingTest, EmptyStoreAnswersNothingAndCreatesTheCursorAt1) {
  EXPECT_TRUE(ctx->Eof("T", "x"));
  EXPECT_TRUE(IsNull(ctx->Read("T", "x")));
  const Variant value = ctx->Value("T", "x");
  EXPECT_TRUE(value.IsString() && value.AsString().empty());
  EXPECT_TRUE(IsNull(ctx->Item("T", "x", 1)));
  EXPECT_FALSE(ctx->Exists("T", "x"));
  EXPECT_EQ(ctx->Count("T", "x"), 0);
  EXPECT_EQ(Cursor("T", "x"), 1);
  EXPECT_TRUE(host->calls().empty());
}

TEST_F(ReadingTest, LoopReadsNewestFirstAndItemLeavesTheCursorOnItsFind) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("U", "x", Variant("other"));
  AddAll("T", "x", {"b", "c"});
  EXPECT_EQ(ReadAll("T", "x"), (Texts{"c", "b", "a"}));
  EXPECT_EQ(Cursor("T", "x"), 5);
  EXPECT_FALSE(ctx->Exists("T", "X")) << "ids are case-sensitive";
  EXPECT_EQ(CStr(ctx->Item("T", "x", 2)), "b");
  ctx->MoveNext("T", "x");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "a");
  EXPECT_TRUE(IsNull(ctx->Item("T", "x", 4)));
  EXPECT_EQ(Cursor("T", "x"), 5);
}

TEST_F(ReadingTest, CountIsOneMoreThanTheHighestInstance) {
  AddAll("T", "x", {"a", "b", "c"});
  ctx->Remove("T", Variant("x"), Variant("b"));
  EXPECT_EQ(ctx->Count("T", "x"), 4) << "instances 1 and 3 left";
  ctx->CloneAdd("T", "neg", "v", -5);
  EXPECT_EQ(ctx->Count("T", "neg"), 0);
  ctx->CloneAdd("T", "zero", "v", 0);
  EXPECT_EQ(ctx->Count("T", "zero"), 1);
}

TEST_F(ReadingTest, MoveFirstWarnsWhenTheFirstInstanceIsNot1) {
  ctx->name("Prefs");
  AddAll("T", "x", {"a", "b"});
  ctx->Remove("T", Variant("x"), Variant("b"));
  const std::string warning =
      "Tamrel/ContextCls/MoveFirst MoveFirst (Prefs) instance not 1 : Tag: T Id: x Instance: 2";
  ctx->MoveFirst("T", "x");
  EXPECT_EQ(CStr(ctx->Value("T", "x")), "a");
  EXPECT_EQ(host->LogLines(), (Texts{warning, warning}));

  host->FailOn("WriteLog", 70, 1);
  EXPECT_EQ(CStr(ctx->Value("T", "x")), "a") << "Value goes on after MoveFirst's own report";
  EXPECT_EQ(host->Errors(), (Reports{{"Tamrel/ContextCls/MoveFirst", 70}}));
}

TEST_F(ReadingTest, CursorIsAPositionThatRemovalBeforeItShifts) {
  AddAll("T", "x", {"a", "b"});
  ctx->Add("U", "y", Variant("u"));
  ctx->Add("T", "x", Variant("c"));  // c u b a
  ctx->MoveFirst("T", "x");
  ctx->MoveNext("T", "x");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "b");  // cursor 3
  ctx->Remove("U");                           // c b a: b moves to 2
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "a") << "b is skipped";
  ctx->MoveFirst("T", "x");
  ctx->MoveNext("T", "x");  // on b at 2
  ctx->Add("V", "z", Variant("v"));
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "c") << "an Add moves records, not cursors";
}

TEST_F(ReadingTest, TagAndIdJoinedByUnderscoreShareACursor) {
  ctx->Add("a_b", "c", Variant("1"));
  ctx->Add("a", "b_c", Variant("2"));
  ctx->MoveFirst("a_b", "c");
  EXPECT_EQ(Cursor("a", "b_c"), 2);
  EXPECT_TRUE(IsNull(ctx->Read("a", "b_c"))) << "its record lies before the shared cursor";
}

}  // namespace
}  // namespace tamrel::testing
