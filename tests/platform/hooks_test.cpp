// The platform hooks: a scope replaces hooks for its own thread only, and
// what it leaves empty is inherited (the other tests nest scopes freely).
#include <gtest/gtest.h>

#include <thread>

#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

std::string TrueWord() { return platform::Current().boolean_words().true_word; }

TEST(PlatformHooksTest, AScopeBelongsToItsThreadAndEndsWithIt) {
  {
    platform::Hooks hooks;
    hooks.boolean_words = [] { return platform::BooleanWords{"Vrai", "Faux"}; };
    platform::Scope french(hooks);
    std::string other_thread_word;
    std::thread other([&] { other_thread_word = TrueWord(); });
    other.join();
    EXPECT_EQ(other_thread_word, "True");
    EXPECT_EQ(TrueWord(), "Vrai");
  }
  EXPECT_EQ(TrueWord(), "True");
}

}  // namespace
}  // namespace tamrel
