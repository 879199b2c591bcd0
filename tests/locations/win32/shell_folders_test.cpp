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

// Points the user's roaming folder (CSIDL_APPDATA) somewhere else for the
// scope, through the registry value the shell reads it from.
class RoamingFolderRedirect {
 public:
  explicit RoamingFolderRedirect(const std::string& folder) : old_(Read()) { Write(Wide(folder)); }
  ~RoamingFolderRedirect() {
    if (old_)
      Write(*old_);
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"AppData");
  }
  RoamingFolderRedirect(const RoamingFolderRedirect&) = delete;
  RoamingFolderRedirect& operator=(const RoamingFolderRedirect&) = delete;

 private:
  static constexpr const wchar_t* kKey =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  static std::optional<std::wstring> Read() {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"AppData", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, value, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::wstring(value);
  }
  static void Write(const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"AppData", REG_EXPAND_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  std::optional<std::wstring> old_;
};

// The profile's folders as the system names them to every program, a
// roaming folder not made yet too; the backup folder follows %LOCALAPPDATA%
// at each call and is made.
TEST(FolderServicesTest, ApplicationDataAndBackupFoldersFollowTheEnvironment) {
  TempDir tmp;
  const std::string roaming = Variable("APPDATA").value(), local = Variable("LOCALAPPDATA").value();
  const std::string missing = tmp.Path("New Profile") + "\\AppData\\Roaming";
  const struct {
    std::optional<std::string> roaming, local;  // AppData, %LOCALAPPDATA%; nullopt: the system's
    std::string application_data, backup;
  } rows[] = {
      {std::nullopt, std::nullopt, roaming, local + "\\Tamrel"},
      {missing, tmp.Path("Ärger local"), missing, tmp.Path("Ärger local") + "\\Tamrel"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.backup);
    std::optional<RoamingFolderRedirect> redirect;
    if (row.roaming) redirect.emplace(*row.roaming);
    EnvironmentVariable local_variable("LOCALAPPDATA", row.local.value_or(local));
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), row.application_data);
    EXPECT_EQ(GetWindowsFolder(), row.backup);
    EXPECT_TRUE(std::filesystem::is_directory(Utf8Path(row.backup)));
  }
  EXPECT_NE(roaming, local);
  EXPECT_EQ(GetSpecialfolder(-12345), "") << "a number Windows does not know";
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
