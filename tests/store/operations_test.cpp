// Store operations whose outcome is written out in full: a check of the
// reference model that the differential test trusts, and of the parts of an
// error report the differential test does not compare.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {
namespace {

using Texts = std::vector<std::string>;

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() { ctx->SetApplicationContext(host); }

  // The store as "Tag/Id/Instance=Value:Key" texts in store order.
  Texts Layout() {
    Texts layout;
    detail::StateOf(*ctx).items.ForEach([&](const detail::ContextItem& item) {
      layout.push_back(item.Tag + "/" + item.Id + "/" + std::to_string(item.Instance) + "=" +
                       item.Value + ":" + item.Key);
    });
    return layout;
  }

  std::shared_ptr<ContextCls> ctx = std::make_shared<ContextCls>();
  std::shared_ptr<RecordingHost> host = RecordingHost::Make();
};

TEST_F(StoreTest, AddKeepsTheNewestValuesUpToMaxCountAndKeysCountOnAcrossClear) {
  ctx->Add("T", "x", Variant("a"));
  ctx->Add("U", "x", Variant("u"));
  ctx->Add("T", "y", Variant(true));
  for (const char* value : {"b", "c", "d", "e"}) ctx->Add("T", "x", Variant(value));
  EXPECT_EQ(Layout(), (Texts{"T/x/1=e:A7", "T/x/2=d:A6", "T/x/3=c:A5", "T/x/4=b:A4",
                             "T/y/1=True:A3", "U/x/1=u:A2"}));
  ctx->Clear();
  ctx->Value("T", "x", Variant::Null());
  EXPECT_EQ(Layout(), (Texts{"T/x/1=:A8"}));
}

TEST_F(StoreTest, AddRefusesAnIllegalTagOrIdWithAMessageAndError60011) {
  ctx->Add("context", "x", Variant("v"));
  EXPECT_EQ(host->Ops(), (Texts{"ShowMessage", "RegisterError", "HandleError"}));
  EXPECT_EQ(host->CallsOf("ShowMessage").at(0).args,
            (Texts{"Attempt to make illegal context param.\r\n\r\nTAG, ID values are: context, x",
                   "0", "", "", "0"}));
  const HostCall report = host->CallsOf("RegisterError").at(0);
  EXPECT_EQ(report.error.number, 60011);
  EXPECT_EQ(report.error.source, "ContextCls/Add");
  EXPECT_EQ(report.error.description, "Attempt to make illegal context param.");
  ctx->Add("Context", "x", Variant("v"));  // only the lower-case root name is refused
  EXPECT_EQ(Layout(), (Texts{"Context/x/1=v:A1"}));
}

}  // namespace
}  // namespace tamrel::testing
