// The native Windows folder services: the shell's folders, the per-user
// backup folder below %LOCALAPPDATA%, long paths.
#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "support/win32/wide.hpp"
#include "tamrel/context.hpp"
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

// Points the user's roaming folder (CSIDL_APPDATA) somewhere else for the
// scope, through the registry value the shell reads it from.
class RoamingFolderRedirect {
 public:
  explicit RoamingFolderRedirect(const std::string& folder) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof(old_);
    had_old_ = RegQueryValueExW(key_, L"AppData", nullptr, &old_type_,
                                reinterpret_cast<BYTE*>(old_), &size) == ERROR_SUCCESS;
    old_size_ = size;
    const std::wstring wide = Wide(folder);
    RegSetValueExW(key_, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  }
  ~RoamingFolderRedirect() {
    if (had_old_) {
      RegSetValueExW(key_, L"AppData", 0, old_type_, reinterpret_cast<const BYTE*>(old_),
                     old_size_);
    } else {
      RegDeleteValueW(key_, L"AppData");
    }
    RegCloseKey(key_);
  }
  RoamingFolderRedirect(const RoamingFolderRedirect&) = delete;
  RoamingFolderRedirect& operator=(const RoamingFolderRedirect&) = delete;

 private:
  static constexpr const wchar_t* kKey =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  HKEY key_ = nullptr;
  bool had_old_ = false;
  DWORD old_type_ = REG_EXPAND_SZ;
  DWORD old_size_ = 0;
  wchar_t old_[MAX_PATH * 2] = {};
};

// A profile whose roaming folder does not exist yet: the shell still names
// it, and the application folder is made with every level above it.
TEST(ShellFoldersTest, AMissingRoamingFolderIsNamedAndTheApplicationFolderMadeBelowIt) {
  TempDir tmp;
  const std::string roaming = tmp.Path("New Profile") + "\\AppData\\Roaming";
  RoamingFolderRedirect redirect(roaming);
  ASSERT_EQ(GetSpecialfolder(kCsidlAppData), roaming);

  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(RecordingHost::Make());
  EXPECT_EQ(context->GetApplicationConfigLocation(), roaming + "\\Tamrel\\");
  EXPECT_TRUE(std::filesystem::is_directory(Utf8Path(roaming + "\\Tamrel")));
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
