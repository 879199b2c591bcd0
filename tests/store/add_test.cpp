// Add and Value: newest first, renumbering, the drop beyond maxCount and the
// removal of records linked to dropped values.
#include <string>
#include <vector>

#include "store/store_fixture.hpp"

namespace tamrel::testing {
namespace {

using AddTest = StoreTest;

TEST_F(AddTest, KeepsTheNewestValuesUpToMaxCountAndRenumbersOnlyItsOwnTagAndId) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("U", "x", Variant("u"));
  ctx->Add("T", "y", Variant("y"));
  ctx->Add("T", "x", Variant("b"));
  EXPECT_EQ(Layout(), (Texts{"T/x/1=b", "T/y/1=y", "U/x/1=u", "T/x/2=a"}));
  AddAll("T", "x", {"c", "d", "e"});
  EXPECT_EQ(Layout(), (Texts{"T/x/1=e", "T/x/2=d", "T/x/3=c", "T/x/4=b", "T/y/1=y", "U/x/1=u"}));
  EXPECT_TRUE(ctx->changed());
  ctx->Remove("T", Variant("y"));
  ctx->Remove("U");
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

TEST_F(AddTest, RefusesIllegalTagOrIdWithAMessageAndError60011) {
  for (const auto& [tag, id] : std::vector<std::pair<std::string, std::string>>{
           {"context", "x"}, {"", "x"}, {"T", ""}}) {
    host->ClearCalls();
    ctx->Add(tag, id, Variant("v"));
    EXPECT_TRUE(Layout().empty());
    EXPECT_EQ(host->Ops(), (Texts{"ShowMessage", "RegisterError", "HandleError"}));
    EXPECT_EQ(host->CallsOf("ShowMessage").at(0).args,
              (Texts{"Attempt to make illegal context param.\r\n\r\nTAG, ID values are: " + tag +
                         ", " + id,
                     "0", "", "", "0"}));
    const HostCall report = host->CallsOf("RegisterError").at(0);
    EXPECT_EQ(report.args, (Texts{"Tamrel/ContextCls/Add", "Initialize"}));
    EXPECT_EQ(report.error.number, 60011);
    EXPECT_EQ(report.error.source, "ContextCls/Add");
    EXPECT_EQ(report.error.description, "Attempt to make illegal context param.");
  }
  ctx->Add("Context", "x", Variant("v"));  // only the lower-case root name is refused
  EXPECT_EQ(Layout(), (Texts{"Context/x/1=v"}));

  auto lonely = std::make_shared<ContextCls>();  // no host: the message itself fails
  try {
    lonely->Add("context", "x", Variant("v"));
    ADD_FAILURE() << "no failure reached the caller";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), errc::kObjectNotSet);
  }
}

TEST_F(AddTest, StoresValuesAsTextAndRefusesAValueWithoutOne) {
  for (const auto& [value, stored] : std::vector<std::pair<Variant, std::string>>{
           {Variant::Null(), ""}, {Variant(false), "False"}, {Variant("true"), "True"},
           {Variant(int16_t{3}), "3"}, {Variant(), ""}}) {
    ctx->Value("T", "x", value);
    EXPECT_EQ(CStr(ctx->Item("T", "x", 1)), stored) << TypeName(value);
  }
  ctx->Remove("T");
  AddAll("T", "x", {"a", "b"});
  // Renumbers and drops, then fails to make the new record's text.
  ctx->Add("T", "x", Variant(VariantArray({Variant("z")})), 2);
  EXPECT_EQ(Layout(), (Texts{"T/x/2=b"}));
  EXPECT_EQ(host->Errors(), (Reports{{"Tamrel/ContextCls/Add", errc::kTypeMismatch}}));
  ctx->Clear();
  ctx->Add("T", "y", Variant("c"));
  EXPECT_EQ(Keys(), (Texts{"A8"})) << "keys count on across Clear; the refused value used none";
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

TEST_F(AddTest, LinkedRecordsStayWhenTheDroppedValueIsTheNewOneOrTheNewRecord) {
  ctx->CloneAdd("Files", "X", "f", 1);
  AddAll("Open", "list", {"X", "X"});
  ctx->Add("Open", "list", Variant("X"), 1, "'Files");
  EXPECT_EQ(Layout(), (Texts{"Open/list/1=X", "Files/X/1=f"}));
  // The new record T/x would match the link T with the dropped value x.
  ctx->Add("T", "x", Variant("x"));
  ctx->Add("T", "x", Variant("y"), 1, "'T");
  EXPECT_EQ(Layout(), (Texts{"T/x/1=y", "Open/list/1=X", "Files/X/1=f"}));
}

}  // namespace
}  // namespace tamrel::testing
