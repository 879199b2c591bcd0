// The platform hooks: scopes replace hooks for their thread only, nest, and
// inherit what they leave empty.
#include <gtest/gtest.h>

#include <string>
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

TEST(PlatformHooksTest, NativeDefaultsAreComplete) {
  const platform::Hooks& hooks = platform::Current();
  EXPECT_TRUE(hooks.message_box && hooks.pump_messages && hooks.now &&
              hooks.seconds_since_midnight && hooks.boolean_words && hooks.special_folder &&
              hooks.windows_folder && hooks.long_path && hooks.library_folder &&
              hooks.browse_for_folder && hooks.is_folder_writeable && hooks.file_system);
  EXPECT_EQ(TrueWord(), "True");
  EXPECT_EQ(hooks.boolean_words().false_word, "False");
  const float seconds = hooks.seconds_since_midnight();
  EXPECT_GE(seconds, 0.0f);
  EXPECT_LT(seconds, 86400.0f);
  // An OLE date of this century.
  EXPECT_GT(hooks.now(), 36526.0);  // 2000-01-01
}

TEST(PlatformHooksTest, ScopesNestAndRestoreInReverseOrder) {
  {
    platform::Scope german(WithWords("Wahr", "Falsch"));
    EXPECT_EQ(TrueWord(), "Wahr");
    {
      platform::Hooks clock_only;
      clock_only.seconds_since_midnight = [] { return 42.0f; };
      platform::Scope clock(clock_only);
      // The inner scope inherits the words of the outer one.
      EXPECT_EQ(TrueWord(), "Wahr");
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
