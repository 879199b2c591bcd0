// The context object's frame: the host link, the application title, the
// unmanaged-error box and the error convention every trapped member uses.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "automation/application_title.hpp"
#include "automation/error_number.hpp"
#include "automation/error_trap.hpp"
#include "context/state_of.hpp"
#include "context/unmanaged_error.hpp"
#include "support/observation.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using testing::HostCallsText;
using testing::RecordingHost;
using testing::TitledApplication;

class ContextFrameTest : public ::testing::Test {
 protected:
  void TearDown() override { detail::SetApplicationTitle("Tamrel"); }
  ContextCls context_;
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
};

TEST_F(ContextFrameTest, TrapReportsOnceToTheHostWithTheCurrentErrorSetAndReturns) {
  context_.SetApplicationContext(host_);
  detail::Trapped(detail::StateOf(context_), "Get_Count", [] { Raise(errc::kTypeMismatch); });
  EXPECT_EQ(CurrentError().number, 0);
  // Other exceptions become run-time errors; the stage text is passed on.
  const std::pair<std::function<void()>, int> throwers[] = {
      {[] { throw std::bad_alloc(); }, 7},
      {[] { throw std::length_error("l"); }, 7},
      {[] { throw std::out_of_range("o"); }, 9},
      {[] { throw std::runtime_error("r"); }, 5},
      {[] { throw 42; }, 5}};
  std::string expected =
      "RegisterError #13 Tamrel/ContextCls/Get_Count|Initialize\nHandleError #13 True|True|False\n";
  for (const auto& [thrower, number] : throwers) {
    detail::Trapped(detail::StateOf(context_), "Load", "Initialize: x.tmc", thrower);
    const std::string n = "#" + std::to_string(number);
    expected += "RegisterError " + n + " Tamrel/ContextCls/Load|Initialize: x.tmc\nHandleError " +
                n + " True|True|False\n";
  }
  EXPECT_EQ(HostCallsText(*host_), expected);
}

TEST_F(ContextFrameTest, FailuresThatCannotBeReportedReachTheCaller) {
  // Without a host, also once the host was let go: error 91 towards the caller.
  context_.SetApplicationContext(host_);
  context_.SetApplicationContext(nullptr);
  EXPECT_EQ(ErrorNumberOf([&] {
              detail::Trapped(detail::StateOf(context_), "Exists", [] { Raise(errc::kOverflow); });
            }),
            errc::kObjectNotSet);
  EXPECT_EQ(CurrentError().number, 0);
  EXPECT_TRUE(host_->calls().empty());
  // A host that fails while reporting: its own error, and no HandleError after it.
  host_->FailOn("RegisterError", errc::kPermissionDenied);
  context_.SetApplicationContext(host_);
  EXPECT_EQ(ErrorNumberOf([&] {
              detail::Trapped(detail::StateOf(context_), "Read", [] { Raise(errc::kOverflow); });
            }),
            errc::kPermissionDenied);
  EXPECT_EQ(host_->CallsOf("HandleError").size(), 0u);
}

TEST_F(ContextFrameTest, UnmanagedErrorBoxShowsTheErrorUnderTheApplicationTitle) {
  EXPECT_EQ(detail::UnmanagedErrorText("Class_Terminate", Error(7)),
            "Un-Managed Error. Please copy the text and advise Velmora of the error.\r\n\r\n"
            "The error occurred in ContextCls/Class_Terminate.\r\n\r\n"
            "The error was: \r\n\r\nError No: 7 Description: Out of memory");
  std::vector<std::string> shown;
  platform::Hooks hooks;
  hooks.message_box = [&](const std::string& prompt, int16_t style, const std::string& title) {
    shown = {title, std::to_string(style), prompt};
    return Variant(int16_t{1});
  };
  platform::Scope scope(hooks);
  context_.Appl(std::make_shared<TitledApplication>(Variant("Plant")));
  detail::ShowUnmanagedError("Class_Initialize", Error(91));
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "Plant: UNMANAGED ERROR", "48",
                       "Un-Managed Error. Please copy the text and advise Velmora of the "
                       "error.\r\n\r\nThe error occurred in ContextCls/Class_Initialize.\r\n\r\n"
                       "The error was: \r\n\r\nError No: 91 Description: Object variable or "
                       "With block variable not set"}));
}

}  // namespace
}  // namespace tamrel
