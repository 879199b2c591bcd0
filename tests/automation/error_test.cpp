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
  EXPECT_EQ(host->calls()[0].args, (std::vector<std::string>{"True", "True", "False"}));
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("WriteLog", {Variant::Null()}); }),
            errc::kInvalidUseOfNull);
  EXPECT_EQ(host->calls().size(), 1u);
}

}  // namespace
}  // namespace tamrel
