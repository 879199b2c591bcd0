// Building the store from a dictionary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

using Values = std::vector<std::string>;

class BuildFromCollectionTest : public FormsTest {
 protected:
  // The instances of (tag, id) in store order.
  std::vector<int16_t> Instances(const std::string& tag, const std::string& id) {
    std::vector<int16_t> numbers;
    detail::StateOf(*context_).items.ForEach([&](const detail::ContextItem& item) {
      if (item.Tag == tag && item.Id == id) numbers.push_back(item.Instance);
    });
    return numbers;
  }
};

TEST_F(BuildFromCollectionTest, EntriesBecomeValuesOfTheirTagAndId) {
  Dictionary empty;
  context_->BuildFromCollection("Dlg", empty);
  EXPECT_FALSE(context_->changed());
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

  context_->BuildFromCollection("Dlg", cln);
  EXPECT_EQ(Stored("Dlg", "Size"), Values{"12"});
  EXPECT_EQ(Stored("Other", "Field"), Values{"x"});
  EXPECT_EQ(Stored("A", "B.C"), Values{"y"});
  EXPECT_EQ(Stored("Dlg", "Lines"), (Values{"one", "two", "three"}));
  EXPECT_EQ(Instances("Dlg", "Lines"), (std::vector<int16_t>{1, 2, 3}));
  EXPECT_EQ(Stored("Dlg", "Blanks"), (Values{"", "", ""}));
  EXPECT_EQ(Stored("Dlg", "Untouched"), Values{"u"});
  EXPECT_EQ(cln.Count(), 6) << "the dictionary is only read";
  EXPECT_TRUE(host_->calls().empty());
}

TEST_F(BuildFromCollectionTest, IllegalSettingsAreRefusedByAddAndSkipped) {
  Dictionary cln;
  cln.Add(".NoTag", Variant("a"));
  cln.Add("NoId.", Variant("b"));
  cln.Add("Fine", Variant("c"));
  context_->BuildFromCollection("Dlg", cln);
  EXPECT_EQ(Stored("Dlg", "Fine"), Values{"c"});
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/Add", errc::kIllegalContextParam},
                                 {"Tamrel/ContextCls/Add", errc::kIllegalContextParam}}));
}

TEST_F(BuildFromCollectionTest, ANullEntryEndsTheBuildAndIsReported) {
  Dictionary cln;
  cln.Add("First", Variant("1"));
  cln.Add("Null", Variant::Null());
  cln.Add("Last", Variant("3"));
  context_->BuildFromCollection("Dlg", cln);
  EXPECT_EQ(Stored("Dlg", "First"), Values{"1"});
  EXPECT_TRUE(Stored("Dlg", "Last").empty());
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/BuildFromCollection",
                                  errc::kInvalidUseOfNull}}));
}

TEST_F(BuildFromCollectionTest, MoreThan32767PartsOverflowTheCount) {
  Dictionary cln;
  cln.Add("Many", Variant(std::string(32767, '`')));
  context_->BuildFromCollection("Dlg", cln);
  EXPECT_TRUE(Stored("Dlg", "Many").empty());
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/BuildFromCollection", errc::kOverflow}}));
}

}  // namespace
}  // namespace tamrel::testing
