// Building the store from a dictionary.
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

using BuildFromCollectionTest = FormsTest;

TEST_F(BuildFromCollectionTest, EntriesBecomeValuesOfTheirTagAndId) {
  context_->Add("Dlg", "Size", Variant("old 1"));
  context_->Add("Dlg", "Size", Variant("old 2"));
  context_->Add("Dlg", "Lines", Variant("old"));
  context_->Add("Dlg", "Untouched", Variant("u"));
  Dictionary cln;
  cln.Add("Size", Variant(int32_t{10}));
  cln.Add("Dlg.Size", Variant(int32_t{12}));  // the later key wins
  cln.Add("Other.Field", Variant("x"));
  cln.Add("A.B.C", Variant("y"));
  cln.Add("Lines", Variant(Joined({"one", "two", "three"})));
  cln.Add("Blanks", Variant("``"));
  cln.Add(".NoTag", Variant("a"));  // refused by Add and skipped
  cln.Add("NoId.", Variant("b"));

  context_->BuildFromCollection("Dlg", cln);
  EXPECT_EQ(Stored("Dlg", "Size"), Values{"12"});
  EXPECT_EQ(Stored("Other", "Field"), Values{"x"});
  EXPECT_EQ(Stored("A", "B.C"), Values{"y"});
  EXPECT_EQ(Stored("Dlg", "Lines"), (Values{"one", "two", "three"}));
  EXPECT_EQ(context_->Item("Dlg", "Lines", 3), Variant("three"));
  EXPECT_EQ(Stored("Dlg", "Blanks"), (Values{"", "", ""}));
  EXPECT_EQ(Stored("Dlg", "Untouched"), Values{"u"});
  EXPECT_EQ(RecordCount(), 10);
  EXPECT_EQ(cln.Count(), 8) << "the dictionary is only read";
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Add", errc::kIllegalContextParam},
                                      {"Tamrel/ContextCls/Add", errc::kIllegalContextParam}}));
}

TEST_F(BuildFromCollectionTest, ABadEntryEndsTheBuildAndIsReported) {
  const std::pair<Variant, int32_t> cases[] = {
      {Variant::Null(), errc::kInvalidUseOfNull},
      {Variant(std::string(32767, '`')), errc::kOverflow},  // 32768 parts
  };
  for (const auto& [bad, error] : cases) {
    SCOPED_TRACE(error);
    context_->Clear();
    host_->ClearCalls();
    Dictionary cln;
    cln.Add("First", Variant("1"));
    cln.Add("Bad", bad);
    cln.Add("Last", Variant("3"));
    context_->BuildFromCollection("Dlg", cln);
    EXPECT_EQ(Stored("Dlg", "First"), Values{"1"});
    EXPECT_EQ(RecordCount(), 1);
    EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/BuildFromCollection", error}}));
  }
}

}  // namespace
}  // namespace tamrel::testing
