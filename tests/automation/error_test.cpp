#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "error_number.hpp"
#include "support/recording_host.hpp"
#include "tamrel/error.hpp"
#include "tamrel/object.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;

TEST(ErrorTest, DescriptionDefaultsToTheStandardText) {
  const std::pair<int32_t, const char*> cases[] = {
      {errc::kWrongArgumentCount, "Wrong number of arguments or invalid property assignment"},
      {errc::kDuplicateKey, "This key is already associated with an element of this collection"},
      {60011, "Application-defined or object-defined error"},
  };
  for (const auto& [number, description] : cases) {
    const Error error(number);
    EXPECT_EQ(error.description(), description);
    EXPECT_STREQ(error.what(), description);
    EXPECT_EQ(error.source(), "Tamrel");
  }
  EXPECT_EQ(Error(6, "mine").description(), "mine");
}

TEST(ErrorTest, CurrentErrorBelongsToItsThread) {
  SetCurrentError(Error(53, "", "Here"));
  int32_t seen_elsewhere = -1;
  std::thread([&] {
    seen_elsewhere = CurrentError().number;
    SetCurrentError(Error(6));
  }).join();
  EXPECT_EQ(seen_elsewhere, 0);
  EXPECT_EQ(CurrentError().description, "File not found");
  ClearCurrentError();
  EXPECT_EQ(CurrentError().number, 0);
}

TEST(HostApplicationTest, CallByNameConvertsArguments) {
  auto host = testing::RecordingHost::Make();
  host->Call("HandleError", {Variant(true), Variant(-1), Variant("False")});
  host->Call("ShowMessage", {"Hi", "48", Variant(), "", 7.0});
  using Texts = std::vector<std::string>;
  EXPECT_EQ(host->calls()[0].args, (Texts{"True", "True", "False"}));
  EXPECT_EQ(host->calls()[1].args, (Texts{"Hi", "48", "", "", "7"}));
  host->ClearCalls();
  EXPECT_EQ(ErrorNumberOf([&] {
              host->Call("ShowMessage", {"p", 32768, "", "", 0});
            }),
            errc::kOverflow);
  EXPECT_TRUE(host->calls().empty());
}

}  // namespace
}  // namespace tamrel
