// The native POSIX folder services: XDG folders stand in for the shell's.
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

// Sets an environment variable (nullopt: unsets it) for the scope.
struct EnvironmentVariable {
  EnvironmentVariable(const char* variable, const std::optional<std::string>& value)
      : name(variable) {
    if (const char* was = getenv(name)) old = was;
    Set(value);
  }
  ~EnvironmentVariable() { Set(old); }
  void Set(const std::optional<std::string>& value) {
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  }
  const char* name;
  std::optional<std::string> old;
};

// The folders follow the environment at each call; the backup folder is
// made, private to the user. A relative XDG variable is no valid XDG folder.
TEST(FolderServicesTest, ApplicationDataAndBackupFoldersFollowTheEnvironment) {
  TempDir tmp;
  const std::string home = tmp.Path("home"), xdg = tmp.Path("xdg");
  const struct {
    std::optional<std::string> config, state;  // XDG_CONFIG_HOME, XDG_STATE_HOME
    std::string application_data, backup;
  } rows[] = {
      {xdg, xdg, xdg, xdg + "/Tamrel"},
      {"relative/config", std::nullopt, home + "/.config", home + "/.local/state/Tamrel"},
  };
  EnvironmentVariable home_variable("HOME", home);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.backup);
    EnvironmentVariable config("XDG_CONFIG_HOME", row.config);
    EnvironmentVariable state("XDG_STATE_HOME", row.state);
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), row.application_data);
    EXPECT_EQ(GetWindowsFolder(), row.backup);
    struct stat info {};
    ASSERT_EQ(stat(row.backup.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
  }
  // Without $HOME, the home folder of the user's account.
  EnvironmentVariable no_home("HOME", std::nullopt), no_config("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(GetSpecialfolder(kCsidlAppData), std::string(getpwuid(getuid())->pw_dir) + "/.config");
  // The library's folder is that of the program it is linked into.
  EXPECT_EQ(platform::Current().library_folder(),
            std::filesystem::canonical("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace tamrel::testing
