// Store operations on fixed sequences whose outcome is written out in full:
// a check of the reference model that the differential test trusts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {
namespace {

using Texts = std::vector<std::string>;
using Reports = std::vector<std::pair<std::string, int32_t>>;

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() { ctx->SetApplicationContext(host); }

  // The store as "Tag/Id/Instance=Value:Key" texts in store order.
  static Texts Layout(ContextCls& context) {
    Texts layout;
    detail::StateOf(context).items.ForEach([&](const detail::ContextItem& item) {
      layout.push_back(item.Tag + "/" + item.Id + "/" + std::to_string(item.Instance) + "=" +
                       item.Value + ":" + item.Key);
    });
    return layout;
  }

  void AddAll(const std::string& tag, const std::string& id, const Texts& values) {
    for (const std::string& value : values) ctx->Add(tag, id, Variant(value));
  }

  std::shared_ptr<ContextCls> ctx = std::make_shared<ContextCls>();
  std::shared_ptr<RecordingHost> host = RecordingHost::Make();
};

TEST_F(StoreTest, AddKeepsTheNewestValuesUpToMaxCountAndRenumbersOnlyItsOwnTagAndId) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("U", "x", Variant("u"));
  ctx->Add("T", "y", Variant(true));
  AddAll("T", "x", {"b", "c", "d", "e"});
  EXPECT_EQ(Layout(*ctx), (Texts{"T/x/1=e:A7", "T/x/2=d:A6", "T/x/3=c:A5", "T/x/4=b:A4",
                                 "T/y/1=True:A3", "U/x/1=u:A2"}));
  ctx->Add("T", "x", Variant("f"), 2);
  ctx->Remove("T", Variant("y"));
  ctx->Clear();
  ctx->Value("T", "x", Variant::Null());
  EXPECT_EQ(Layout(*ctx), (Texts{"T/x/1=:A9"})) << "keys count on across Clear";
}

TEST_F(StoreTest, AddRefusesAnIllegalTagOrIdWithAMessageAndError60011) {
  for (const auto& [tag, id] : std::vector<std::pair<std::string, std::string>>{
           {"context", "x"}, {"", "x"}, {"T", ""}}) {
    host->ClearCalls();
    ctx->Add(tag, id, Variant("v"));
    EXPECT_EQ(host->Ops(), (Texts{"ShowMessage", "RegisterError", "HandleError"}));
    EXPECT_EQ(host->CallsOf("ShowMessage").at(0).args,
              (Texts{"Attempt to make illegal context param.\r\n\r\nTAG, ID values are: " + tag +
                         ", " + id,
                     "0", "", "", "0"}));
    const HostCall report = host->CallsOf("RegisterError").at(0);
    EXPECT_EQ(report.error.number, 60011);
    EXPECT_EQ(report.error.source, "ContextCls/Add");
    EXPECT_EQ(report.error.description, "Attempt to make illegal context param.");
  }
  ctx->Add("Context", "x", Variant("v"));  // only the lower-case root name is refused
  EXPECT_EQ(Layout(*ctx), (Texts{"Context/x/1=v:A1"}));
}

TEST_F(StoreTest, DroppedValuesRemoveTheRecordsOfTheLinkedTags) {
  ctx->CloneAdd("Files", "X", "f1", 1);
  ctx->CloneAdd("Recent", "X", "r", 1);
  ctx->CloneAdd("Other", "X", "o", 1);
  ctx->CloneAdd("Files", "Y", "fy", 1);
  AddAll("Open", "list", {"X", "Y"});
  ctx->Add("Open", "list", Variant("Z"), 1, "ignored'Files' Recent ");
  EXPECT_EQ(Layout(*ctx), (Texts{"Open/list/1=Z:A7", "Other/X/1=o:A3"}));
  // A dropped value equal to the new one unlinks nothing, nor does a link
  // id without an apostrophe; the new record itself is never unlinked.
  ctx->CloneAdd("T", "Z", "z", 1);
  ctx->Add("Open", "list", Variant("Z"), 1, "'T");
  ctx->Add("Open", "list", Variant("W"), 1, "T");
  ctx->Add("T", "W", Variant("W"));
  ctx->Add("T", "W", Variant("V"), 1, "'T");
  EXPECT_EQ(Layout(*ctx), (Texts{"T/W/1=V:A12", "Open/list/1=W:A10", "Other/X/1=o:A3",
                                 "T/Z/1=z:A8"}));
}

TEST_F(StoreTest, CursorsArePositionsSharedByTagAndIdJoinedByUnderscore) {
  ctx->name("Prefs");
  AddAll("T", "x", {"a", "b"});
  ctx->Add("U", "y", Variant("u"));
  ctx->Add("T", "x", Variant("c"));  // c u b a
  ctx->MoveFirst("T", "x");
  ctx->MoveNext("T", "x");
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "b");
  ctx->Remove("U");  // c b a: the cursor stays at 3
  EXPECT_EQ(CStr(ctx->Read("T", "x")), "a");
  ctx->Remove("T", Variant("x"), Variant("c"));
  EXPECT_EQ(ctx->Count("T", "x"), 4) << "instances 2 and 3 left";
  EXPECT_EQ(CStr(ctx->Value("T", "x")), "b");
  EXPECT_EQ(host->LogLines(), Texts{"Tamrel/ContextCls/MoveFirst MoveFirst (Prefs) instance "
                                    "not 1 : Tag: T Id: x Instance: 2"});
  ctx->Add("a_b", "c", Variant("1"));
  ctx->Add("a", "b_c", Variant("2"));
  ctx->MoveFirst("a_b", "c");  // to position 2
  EXPECT_TRUE(IsNull(ctx->Read("a", "b_c"))) << "its record lies before the shared cursor";
}

}  // namespace
}  // namespace tamrel::testing
