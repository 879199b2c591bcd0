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

TEST_F(ReadingTest, LoopReadsNewestFirstAndReadDoesNotAdvance) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("U", "x", Variant("other"));
  ctx->Add("T", "x", Variant("b"));
  ctx->Add("T", "x", Variant("c"));
  EXPECT_EQ(ReadAll("T", "x"), (Texts{"c", "b", "a"}));
  EXPECT_EQ(Cursor("T", "x"), 5);

  ctx->MoveFirst("T", "x");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "c");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "c");
  EXPECT_EQ(CStr(ctx->Value("T", "x")), "c");
  EXPECT_TRUE(ctx->Exists("T", "x"));
  EXPECT_FALSE(ctx->Exists("T", "X")) << "ids are case-sensitive";
}

TEST_F(ReadingTest, MoveNextOnAnUnreadKeyLandsOnItsFirstInstance) {
  ctx->Add("U", "y", Variant("u"));
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("U", "y", Variant("v"));
  ctx->MoveNext("T", "x");
  EXPECT_EQ(Cursor("T", "x"), 2);
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "a");
  ctx->MoveNext("T", "x");
  ctx->MoveNext("T", "x");
  EXPECT_EQ(Cursor("T", "x"), 4) << "past the end stays past the end";
}

TEST_F(ReadingTest, ItemLeavesTheCursorOnTheInstanceFound) {
  for (const char* value : {"a", "b", "c"}) ctx->Add("T", "x", Variant(value));
  EXPECT_EQ(CStr(ctx->Item("T", "x", 2)), "b");
  ctx->MoveNext("T", "x");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "a");
  EXPECT_TRUE(IsNull(ctx->Item("T", "x", 4)));
  EXPECT_EQ(Cursor("T", "x"), 4);
}

TEST_F(ReadingTest, CountIsOneMoreThanTheHighestInstance) {
  for (const char* value : {"a", "b", "c"}) ctx->Add("T", "x", Variant(value));
  EXPECT_EQ(ctx->Count("T", "x"), 4);
  ctx->Remove("T", Variant("x"), Variant("b"));
  EXPECT_EQ(ctx->Count("T", "x"), 4) << "instances 1 and 3 left";
  ctx->CloneAdd("T", "neg", "v", -5);
  EXPECT_EQ(ctx->Count("T", "neg"), 0);
  ctx->CloneAdd("T", "zero", "v", 0);
  EXPECT_EQ(ctx->Count("T", "zero"), 1);
  ctx->MoveNext("T", "x");
  ctx->Count("T", "x");
  EXPECT_EQ(Cursor("T", "x"), 1);
}

TEST_F(ReadingTest, MoveFirstWarnsWhenTheFirstInstanceIsNot1) {
  ctx->name("Prefs");
  for (const char* value : {"a", "b"}) ctx->Add("T", "x", Variant(value));
  ctx->Remove("T", Variant("x"), Variant("b"));
  const std::string warning =
      "Tamrel/ContextCls/MoveFirst MoveFirst (Prefs) instance not 1 : Tag: T Id: x Instance: 2";
  ctx->MoveFirst("T", "x");
  EXPECT_EQ(host->LogLines(), (Texts{warning}));
  EXPECT_EQ(CStr(ctx->Value("T", "x")), "a");
  EXPECT_EQ(host->LogLines(), (Texts{warning, warning}));
  EXPECT_EQ(Cursor("T", "x"), 1);
}

TEST_F(ReadingTest, WarningThatCannotBeWrittenIsReportedByMoveFirst) {
  ctx->CloneAdd("T", "x", "a", 3);
  host->FailOn("WriteLog", 70, 1);
  EXPECT_EQ(CStr(ctx->Value("T", "x")), "a") << "Value goes on after MoveFirst's own report";
  EXPECT_EQ(host->Errors(),
            (std::vector<std::pair<std::string, int32_t>>{{"Tamrel/ContextCls/MoveFirst", 70}}));

  ctx->SetApplicationContext(nullptr);
  EXPECT_THROW(ctx->MoveFirst("T", "x"), Error);
}

TEST_F(ReadingTest, CursorIsAPositionThatRemovalBeforeItShifts) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("T", "x", Variant("b"));
  ctx->Add("U", "y", Variant("u"));
  ctx->Add("T", "x", Variant("c"));  // c u b a
  ctx->MoveFirst("T", "x");
  ctx->MoveNext("T", "x");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "b");  // cursor 3
  ctx->Remove("U");                           // c b a: b moves to 2
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "a") << "b is skipped";
  EXPECT_EQ(ReadAll("T", "x"), (Texts{"c", "b", "a"}));

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
  EXPECT_TRUE(ctx->Eof("a_b", "c"));
}

}  // namespace
}  // namespace tamrel::testing
