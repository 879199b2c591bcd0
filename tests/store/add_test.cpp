#include <string>
#include <vector>

#include "store/store_fixture.hpp"
#include "tamrel/dictionary.hpp"

namespace tamrel::testing {
namespace {

using AddTest = StoreTest;

TEST_F(AddTest, KeepsTheNewestValuesUpToMaxCount) {
  for (const char* value : {"a", "b", "c", "d", "e"}) ctx->Add("T", "x", Variant(value));
  EXPECT_EQ(Layout(), (Texts{"T/x/1=e", "T/x/2=d", "T/x/3=c", "T/x/4=b"}));
  EXPECT_TRUE(ctx->changed());

  ctx->Add("T", "x", Variant("f"), 2);
  EXPECT_EQ(Layout(), (Texts{"T/x/1=f", "T/x/2=e"}));
  for (int16_t max_count : {int16_t{1}, int16_t{0}, int16_t{-3}}) {
    ctx->Add("T", "x", Variant("g"));
    ctx->Add("T", "x", Variant("h"), max_count);
    EXPECT_EQ(Layout(), (Texts{"T/x/1=h"})) << "maxCount " << max_count;
  }
  ctx->Add("T", "x", Variant("i"));
  ctx->Value("T", "x", Variant("j"));
  EXPECT_EQ(Layout(), (Texts{"T/x/1=j"}));
}

TEST_F(AddTest, NewRecordGoesBeforeEveryTagAndOnlyItsOwnTagAndIdAreRenumbered) {
  ctx->Add("T", "x", Variant("1"));
  ctx->Add("U", "x", Variant("2"));
  ctx->Add("T", "y", Variant("3"));
  ctx->Add("T", "x", Variant("4"));
  EXPECT_EQ(Layout(), (Texts{"T/x/1=4", "T/y/1=3", "U/x/1=2", "T/x/2=1"}));
}

TEST_F(AddTest, RefusesIllegalTagOrIdWithAMessageAndError60011) {
  struct Case {
    std::string tag, id;
  };
  for (const Case& c : {Case{"context", "x"}, Case{"", "x"}, Case{"T", ""}}) {
    auto fresh = std::make_shared<ContextCls>();
    auto recorder = RecordingHost::Make();
    fresh->SetApplicationContext(recorder);
    fresh->Add(c.tag, c.id, Variant("v"));

    EXPECT_TRUE(Layout(*fresh).empty());
    EXPECT_TRUE(fresh->changed());
    EXPECT_EQ(recorder->Ops(), (Texts{"ShowMessage", "RegisterError", "HandleError"}));
    const HostCall message = recorder->CallsOf("ShowMessage").at(0);
    EXPECT_EQ(message.args,
              (Texts{"Attempt to make illegal context param.\r\n\r\nTAG, ID values are: " + c.tag +
                         ", " + c.id,
                     "0", "", "", "0"}));
    const HostCall report = recorder->CallsOf("RegisterError").at(0);
    EXPECT_EQ(report.args, (Texts{"Tamrel/ContextCls/Add", "Initialize"}));
    EXPECT_EQ(report.error.number, 60011);
    EXPECT_EQ(report.error.source, "ContextCls/Add");
    EXPECT_EQ(report.error.description, "Attempt to make illegal context param.");
    EXPECT_EQ(recorder->CallsOf("HandleError").at(0).args, (Texts{"True", "True", "False"}));
  }
  ctx->Add("Context", "x", Variant("v"));
  EXPECT_EQ(Layout(), (Texts{"Context/x/1=v"}));
  EXPECT_TRUE(host->calls().empty());
}

TEST_F(AddTest, IllegalParameterWithoutHostFailsTowardsTheCaller) {
  auto lonely = std::make_shared<ContextCls>();
  try {
    lonely->Add("context", "x", Variant("v"));
    ADD_FAILURE() << "no failure reached the caller";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), errc::kObjectNotSet);
  }
  EXPECT_TRUE(lonely->changed());
}

TEST_F(AddTest, StoresValuesAsText) {
  struct Case {
    Variant value;
    std::string stored;
  };
  for (const Case& c :
       {Case{Variant::Null(), ""}, Case{Variant(true), "True"}, Case{Variant(false), "False"},
        Case{Variant("true"), "True"}, Case{Variant(int16_t{3}), "3"}, Case{Variant(), ""},
        Case{Variant("1"), "1"}}) {
    ctx->Value("T", "x", c.value);
    EXPECT_EQ(CStr(ctx->Item("T", "x", 1)), c.stored) << TypeName(c.value);
  }
}

TEST_F(AddTest, AValueWithoutTextFormStillRenumbersAndDropsButAddsNothing) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("T", "x", Variant("b"));
  ctx->Add("T", "x", Variant(VariantArray({Variant("z")})), 2);
  EXPECT_EQ(Layout(), (Texts{"T/x/2=b"}));
  EXPECT_EQ(host->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                {"Tamrel/ContextCls/Add", errc::kTypeMismatch}}));
  ctx->Add("T", "y", Variant("c"));
  EXPECT_EQ(Keys(*ctx), (Texts{"A3", "A2"})) << "the refused value used no key";
}

TEST_F(AddTest, KeysCountOnAcrossClearAndRemove) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("T", "y", Variant("b"));
  EXPECT_EQ(Keys(*ctx), (Texts{"A2", "A1"}));
  ctx->Remove("T");
  ctx->Clear();
  ctx->Add("T", "x", Variant("c"));
  EXPECT_EQ(Keys(*ctx), (Texts{"A3"}));
}

TEST_F(AddTest, DroppedValuesRemoveTheirLinkedRecords) {
  // Files/X and Recent/X hang on the value X of Open/list.
  ctx->CloneAdd("Files", "X", "f1", 1);
  ctx->CloneAdd("Files", "X", "f2", 5);
  ctx->CloneAdd("Recent", "X", "r", 1);
  ctx->CloneAdd("Other", "X", "o", 1);
  ctx->CloneAdd("Files", "Y", "fy", 1);
  ctx->Add("Open", "list", Variant("X"));
  ctx->Add("Open", "list", Variant("Y"), 4, "'Files' Recent ");
  EXPECT_EQ(Layout().size(), 7u) << "nothing dropped, nothing unlinked";

  ctx->Add("Open", "list", Variant("Z"), 2, "ignored'Files' Recent ");
  EXPECT_EQ(Layout(), (Texts{"Open/list/1=Z", "Open/list/2=Y", "Other/X/1=o", "Files/Y/1=fy"}));

  ctx->Add("Open", "list", Variant("W"), 1, "Files");
  EXPECT_EQ(Layout(), (Texts{"Open/list/1=W", "Other/X/1=o", "Files/Y/1=fy"}))
      << "a linkId without an apostrophe links nothing";
}

TEST_F(AddTest, DroppedValueEqualToTheNewOneKeepsItsLinkedRecords) {
  ctx->CloneAdd("Files", "X", "f", 1);
  ctx->Add("Open", "list", Variant("X"));
  ctx->Add("Open", "list", Variant("X"), 1, "'Files");
  EXPECT_EQ(Layout(), (Texts{"Open/list/1=X", "Files/X/1=f"}));

  // X held twice; one copy drops while the other stays: still unlinked.
  ctx->Add("Open", "list", Variant("X"));
  ctx->Add("Open", "list", Variant("Y"), 2, "'Files");
  EXPECT_EQ(Layout(), (Texts{"Open/list/1=Y", "Open/list/2=X"}));
}

TEST_F(AddTest, LinkedRemovalNeverTouchesTheNewRecord) {
  // The new record T/x would match the link T with the dropped value x.
  ctx->Add("T", "x", Variant("x"));
  ctx->Add("T", "x", Variant("y"), 1, "'T");
  EXPECT_EQ(Layout(), (Texts{"T/x/1=y"}));
}

}  // namespace
}  // namespace tamrel::testing
