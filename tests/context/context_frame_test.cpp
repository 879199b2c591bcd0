// The context object's frame: creation, the host link, the application title,
// the unmanaged-error box and the error convention every trapped member uses.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "context/application_title.hpp"
#include "context/context_state.hpp"
#include "context/error_trap.hpp"
#include "context/unmanaged_error.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

using testing::RecordingHost;

// An automation object with a readable `title`, as a host's App object.
class TitledObject : public Object {
 public:
  explicit TitledObject(Variant title) : title_(std::move(title)) {}
  std::string TypeName() const override { return "App"; }
  Variant Get(const std::string& name, const std::vector<Variant>& indices) override {
    if (SameName(name, "title") && indices.empty()) return title_;
    NoSuchMember(name);
  }

 private:
  Variant title_;
};

// Restores the thread's application title after a test changes it.
class ContextFrameTest : public ::testing::Test {
 protected:
  void TearDown() override { detail::SetApplicationTitle("Tamrel"); }
};

TEST_F(ContextFrameTest, NewObjectHasCreationState) {
  auto context = std::make_shared<ContextCls>();
  EXPECT_FALSE(context->changed());
  EXPECT_EQ(context->name(), "");
  EXPECT_EQ(context->SaveLocation(), "");
  EXPECT_EQ(detail::StateOf(*context).items.Count(), 0);
  EXPECT_EQ(detail::UnmanagedErrorTitle(), "Tamrel: UNMANAGED ERROR");
}

TEST_F(ContextFrameTest, NameIsKept) {
  ContextCls context;
  context.name("Calibration");
  EXPECT_EQ(context.name(), "Calibration");
}

TEST_F(ContextFrameTest, ApplSetsTheTitleForEveryObjectOfTheThread) {
  ContextCls first;
  ContextCls second;
  first.Appl(std::make_shared<TitledObject>(Variant("Plant")));
  EXPECT_EQ(ApplicationTitle(), "Plant");
  EXPECT_EQ(detail::UnmanagedErrorTitle(), "Plant: UNMANAGED ERROR");
  second.Appl(std::make_shared<TitledObject>(Variant(int32_t{42})));
  EXPECT_EQ(ApplicationTitle(), "42");
}

TEST_F(ContextFrameTest, TitleIsPerThread) {
  ContextCls context;
  context.Appl(std::make_shared<TitledObject>(Variant("Plant")));
  std::string seen_by_other_thread;
  std::thread other([&] { seen_by_other_thread = ApplicationTitle(); });
  other.join();
  EXPECT_EQ(seen_by_other_thread, "Tamrel");
  EXPECT_EQ(ApplicationTitle(), "Plant");
}

TEST_F(ContextFrameTest, ApplFailsForAnObjectWithoutTitle) {
  ContextCls context;
  auto untitled = std::make_shared<Dictionary>();
  try {
    context.Appl(untitled);
    FAIL() << "Appl accepted an object without a title";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errc::kNoSuchMember);
  }
  EXPECT_EQ(ApplicationTitle(), "Tamrel");
}

TEST_F(ContextFrameTest, SetApplicationContextRefusesOtherObjectsAndKeepsTheHost) {
  ContextCls context;
  auto host = RecordingHost::Make();
  context.SetApplicationContext(host);
  try {
    context.SetApplicationContext(std::make_shared<Dictionary>());
    FAIL() << "a dictionary was taken as host application";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errc::kTypeMismatch);
  }
  // A later failure is still reported to the first host.
  detail::Trapped(detail::StateOf(context), "Exists", [] { Raise(errc::kOverflow); });
  EXPECT_EQ(host->Ops(), (std::vector<std::string>{"RegisterError", "HandleError"}));
}

TEST_F(ContextFrameTest, TrapReportsOnceWithTheCurrentErrorSetAndReturns) {
  ContextCls context;
  auto host = RecordingHost::Make();
  context.SetApplicationContext(host);
  bool result = true;
  bool ran_past_failure = false;
  detail::Trapped(detail::StateOf(context), "Get_Count", [&] {
    result = false;
    Raise(errc::kTypeMismatch);
    ran_past_failure = true;
  });
  EXPECT_FALSE(result);
  EXPECT_FALSE(ran_past_failure);
  ASSERT_EQ(host->calls().size(), 2u);
  const testing::HostCall& registered = host->calls()[0];
  EXPECT_EQ(registered.op, "RegisterError");
  EXPECT_EQ(registered.args, (std::vector<std::string>{"Tamrel/ContextCls/Get_Count",
                                                       "Initialize"}));
  EXPECT_EQ(registered.error.number, errc::kTypeMismatch);
  EXPECT_EQ(registered.error.description, "Type mismatch");
  const testing::HostCall& handled = host->calls()[1];
  EXPECT_EQ(handled.op, "HandleError");
  EXPECT_EQ(handled.args, (std::vector<std::string>{"True", "True", "False"}));
  EXPECT_EQ(handled.error.number, errc::kTypeMismatch);
  // The report is over: the thread has no current error any more.
  EXPECT_EQ(CurrentError().number, 0);
}

TEST_F(ContextFrameTest, TrapTurnsStandardExceptionsIntoRunTimeErrors) {
  ContextCls context;
  auto host = RecordingHost::Make();
  context.SetApplicationContext(host);
  detail::Trapped(detail::StateOf(context), "Load", "Initialize: x.tmc",
                  [] { throw std::bad_alloc(); });
  ASSERT_EQ(host->Errors().size(), 1u);
  EXPECT_EQ(host->Errors()[0].second, errc::kOutOfMemory);
  EXPECT_EQ(host->calls()[0].args[1], "Initialize: x.tmc");
}

TEST_F(ContextFrameTest, TrapWithoutHostFailsTowardsTheCallerWithError91) {
  ContextCls context;
  try {
    detail::Trapped(detail::StateOf(context), "Exists", [] { Raise(errc::kOverflow); });
    FAIL() << "the failure was swallowed without a host";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errc::kObjectNotSet);
  }
  EXPECT_EQ(CurrentError().number, 0);
}

TEST_F(ContextFrameTest, HostFailuresWhileReportingReachTheCaller) {
  for (const std::string op : {"RegisterError", "HandleError"}) {
    SCOPED_TRACE(op);
    ContextCls context;
    auto host = RecordingHost::Make();
    host->FailOn(op, errc::kPermissionDenied);
    context.SetApplicationContext(host);
    try {
      detail::Trapped(detail::StateOf(context), "Read", [] { Raise(errc::kOverflow); });
      FAIL() << "the host's failure was swallowed";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), errc::kPermissionDenied);
    }
    // A failing RegisterError means HandleError is never called.
    EXPECT_EQ(host->CallsOf("HandleError").size(), op == "RegisterError" ? 0u : 1u);
  }
}

TEST_F(ContextFrameTest, UnmanagedErrorBoxTextsAndStyle) {
  EXPECT_EQ(detail::UnmanagedErrorText("Class_Terminate", Error(7)),
            "Un-Managed Error. Please copy the text and advise Velmora of the error.\r\n"
            "\r\n"
            "The error occurred in ContextCls/Class_Terminate.\r\n"
            "\r\n"
            "The error was: \r\n"
            "\r\n"
            "Error No: 7 Description: Out of memory");

  std::vector<std::string> shown;
  int16_t style = -1;
  platform::Hooks hooks;
  hooks.message_box = [&](const std::string& prompt, int16_t box_style,
                          const std::string& title) {
    shown = {title, prompt};
    style = box_style;
    return Variant(int16_t{1});
  };
  platform::Scope scope(hooks);
  ContextCls context;
  context.Appl(std::make_shared<TitledObject>(Variant("Plant")));
  detail::ShowUnmanagedError("Class_Initialize", Error(91));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Plant: UNMANAGED ERROR");
  EXPECT_NE(shown[1].find("The error occurred in ContextCls/Class_Initialize."), std::string::npos);
  EXPECT_NE(shown[1].find("Error No: 91 Description: Object variable or With block variable not set"),
            std::string::npos);
  EXPECT_EQ(style, 48);
}

TEST_F(ContextFrameTest, UnmanagedErrorBoxSwallowsAFailingMessageBox) {
  platform::Hooks hooks;
  hooks.message_box = [](const std::string&, int16_t, const std::string&) -> Variant {
    Raise(errc::kPermissionDenied);
  };
  platform::Scope scope(hooks);
  EXPECT_NO_THROW(detail::ShowUnmanagedError("Class_Terminate", Error(5)));
}

}  // namespace
}  // namespace tamrel
