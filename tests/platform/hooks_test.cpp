// The platform hooks: scopes replace hooks for their thread only, nest, and
// inherit what they leave empty.
#include <gtest/gtest.h>

#include <thread>

#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

platform::Hooks WithWords(std::string true_word, std::string false_word) {
  platform::Hooks hooks;
  hooks.boolean_words = [=] { return platform::BooleanWords{true_word, false_word}; };
  return hooks;
}

std::string TrueWord() { return platform::Current().boolean_words().true_word; }

TEST(PlatformHooksTest, ScopesNestInheritAndRestoreInReverseOrder) {
  {
    platform::Scope german(WithWords("Wahr", "Falsch"));
    {
      platform::Hooks clock_only;
      clock_only.seconds_since_midnight = [] { return 42.0f; };
      platform::Scope clock(clock_only);
      EXPECT_EQ(TrueWord(), "Wahr") << "the inner scope inherits the outer one's words";
      EXPECT_EQ(platform::Current().seconds_since_midnight(), 42.0f);
    }
    EXPECT_EQ(TrueWord(), "Wahr");
    EXPECT_NE(platform::Current().seconds_since_midnight(), 42.0f);
  }
  EXPECT_EQ(TrueWord(), "True");
}

TEST(PlatformHooksTest, ScopeBelongsToItsThread) {
  platform::Scope french(WithWords("Vrai", "Faux"));
  std::string other_thread_word;
  std::thread other([&] { other_thread_word = TrueWord(); });
  other.join();
  EXPECT_EQ(other_thread_word, "True");
  EXPECT_EQ(TrueWord(), "Vrai");
}

}  // namespace
}  // namespace tamrel
