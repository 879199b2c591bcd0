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
using testing::RecordingHost;

TEST(ErrorTest, DescriptionDefaultsToTheStandardText) {
  struct Case {
    int32_t number;
    const char* description;
  } cases[] = {
      {errc::kOverflow, "Overflow"},
      {errc::kObjectNotSet, "Object variable or With block variable not set"},
      {errc::kDuplicateKey, "This key is already associated with an element of this collection"},
      {60011, "Application-defined or object-defined error"},
  };
  for (const Case& c : cases) {
    const Error error(c.number);
    EXPECT_EQ(error.description(), c.description);
    EXPECT_STREQ(error.what(), c.description);
    EXPECT_EQ(error.source(), "Tamrel");
  }
  EXPECT_EQ(StandardDescription(60011), "");
  EXPECT_EQ(Error(6, "mine").description(), "mine");
}

TEST(ErrorTest, CurrentErrorBelongsToItsThread) {
  SetCurrentError(Error(53, "", "Here"));
  EXPECT_EQ(CurrentError().number, 53);
  EXPECT_EQ(CurrentError().source, "Here");
  EXPECT_EQ(CurrentError().description, "File not found");

  int32_t seen_elsewhere = -1;
  std::thread other([&] {
    seen_elsewhere = CurrentError().number;
    SetCurrentError(Error(6));
  });
  other.join();
  EXPECT_EQ(seen_elsewhere, 0);
  EXPECT_EQ(CurrentError().number, 53);

  ClearCurrentError();
  EXPECT_EQ(CurrentError().number, 0);
  EXPECT_EQ(CurrentError().description, "");
}

TEST(ObjectTest, SameNameIgnoresAsciiCaseOnly) {
  EXPECT_TRUE(SameName("MoveFirst", "movefirst"));
  EXPECT_FALSE(SameName("Move", "MoveFirst"));
  EXPECT_FALSE(SameName("@", "`"));  // one below 'A', one below 'a'
  EXPECT_FALSE(SameName("\xC3\xA4", "\xC3\x84"));
}

TEST(HostApplicationTest, CallByNameConvertsArguments) {
  auto host = RecordingHost::Make();
  host->Call("writelog", {Variant("line")});
  host->Call("RegisterError", {Variant("Tamrel/ContextCls/Add"), Variant("Initialize")});
  host->Call("HandleError", {Variant(true), Variant(-1), Variant("False")});
  host->Call("WriteDetail", {Variant(2.5)});
  const Variant answer = host->Call(
      "ShowMessage", {Variant("Hi"), Variant("48"), Variant(), Variant(""), Variant(7.0)});
  EXPECT_EQ(CLng(answer), 1);

  SetCurrentError(Error(13));
  std::vector<Variant> args = {Variant()};
  host->Call("GetErrorText", args);
  ClearCurrentError();
  EXPECT_EQ(CStr(args[0]), "Error 13: Type mismatch");

  const auto& calls = host->calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"line"}));
  EXPECT_EQ(calls[1].args, (std::vector<std::string>{"Tamrel/ContextCls/Add", "Initialize"}));
  EXPECT_EQ(calls[2].args, (std::vector<std::string>{"True", "True", "False"}));
  EXPECT_EQ(calls[3].args, (std::vector<std::string>{"2.5"}));
  EXPECT_EQ(calls[4].args, (std::vector<std::string>{"Hi", "48", "", "", "7"}));
  EXPECT_EQ(calls[5].op, "GetErrorText");
}

TEST(HostApplicationTest, CallByNameErrors) {
  auto host = RecordingHost::Make();
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("WriteLog", {}); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("HandleError", {Variant(true)}); }),
            errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("Quit", {}); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("WriteLog", {Variant::Null()}); }),
            errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorNumberOf([&] {
              host->Call("ShowMessage",
                         {Variant("p"), Variant(40000), Variant(""), Variant(""), Variant(0)});
            }),
            errc::kOverflow);
  EXPECT_TRUE(host->calls().empty());
}

}  // namespace
}  // namespace tamrel
