// The native Windows folder services: the shell's folders, the per-user
// backup folder below %LOCALAPPDATA%, long paths.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "support/win32/wide.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

std::optional<std::string> Variable(const char* name) {
  wchar_t value[32768];
  const DWORD length = GetEnvironmentVariableW(Wide(name).c_str(), value, 32768);
  if (length == 0) return std::nullopt;
  return Narrow(std::wstring(value, length));
}

// Sets an environment variable (nullopt: unsets it) for the scope.
struct EnvironmentVariable {
  EnvironmentVariable(const char* variable, const std::optional<std::string>& value)
      : name(variable), old(Variable(variable)) {
    Set(value);
  }
  ~EnvironmentVariable() { Set(old); }
  void Set(const std::optional<std::string>& value) {
    SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(*value).c_str() : nullptr);
  }
  const char* name;
  std::optional<std::string> old;
};

// The profile's folders as the system names them to every program; the
// backup folder follows %LOCALAPPDATA% at each call and is made.
TEST(ShellFoldersTest, ApplicationDataIsTheRoamingFolderAndBackupsGoToTheLocalOne) {
  const std::optional<std::string> roaming = Variable("APPDATA");
  const std::optional<std::string> local = Variable("LOCALAPPDATA");
  ASSERT_TRUE(roaming && local);
  EXPECT_EQ(GetSpecialfolder(kCsidlAppData), *roaming);
  EXPECT_NE(*roaming, *local);
  EXPECT_EQ(GetWindowsFolder(), *local + "\\Tamrel");
  EXPECT_EQ(GetSpecialfolder(-12345), "") << "a number Windows does not know";

  TempDir tmp;
  const std::string moved = tmp.Path("Ärger local");
  EnvironmentVariable redirected("LOCALAPPDATA", moved);
  EXPECT_EQ(GetWindowsFolder(), moved + "\\Tamrel");
  EXPECT_TRUE(std::filesystem::is_directory(Utf8Path(moved + "\\Tamrel")));
}

TEST(ShellFoldersTest, LongPathGivesTheLongNamesOfAnExistingPathAndNothingElse) {
  TempDir tmp;
  const std::string folder = tmp.Path("Configuration Files Ä");
  std::filesystem::create_directories(Utf8Path(folder));
  wchar_t short_path[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(Wide(folder).c_str(), short_path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(GetLongPath(Narrow(std::wstring(short_path, length))), GetLongPath(folder));
  EXPECT_EQ(GetLongPath(folder).substr(GetLongPath(folder).rfind('\\')), "\\Configuration Files Ä");
  EXPECT_EQ(GetLongPath(tmp.Path("missing")), "");
}

TEST(NativeHooksTest, AWriteableFolderTakesAProbeThatLeavesNothingBehind) {
  TempDir tmp;
  const platform::Hooks hooks = platform::NativeHooks();
  EXPECT_TRUE(hooks.is_folder_writeable(tmp.Path(""), false));
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
  EXPECT_FALSE(hooks.is_folder_writeable(tmp.Path("missing"), false));
}

// Wine runs with an English user locale here, whose words the automation
// run-time gives as those of the library's default.
TEST(NativeHooksTest, BooleanWordsAreTheUserLocales) {
  const platform::BooleanWords words = platform::NativeHooks().boolean_words();
  EXPECT_EQ(words.true_word, "True");
  EXPECT_EQ(words.false_word, "False");
}

}  // namespace
}  // namespace tamrel::testing
