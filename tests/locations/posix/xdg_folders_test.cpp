// The native POSIX folder services: XDG folders stand in for the shell's.
#include <stdlib.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "tamrel/locations.hpp"

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

TEST(FolderServicesTest, XdgFoldersFollowTheEnvironmentAtEachCall) {
  TempDir tmp;
  EnvironmentVariable home("HOME", tmp.Path("home"));
  {
    EnvironmentVariable config("XDG_CONFIG_HOME", tmp.Path("xdg"));
    EnvironmentVariable state("XDG_STATE_HOME", tmp.Path("xdg"));
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("xdg"));
    EXPECT_EQ(GetWindowsFolder(), tmp.Path("xdg") + "/Tamrel");
  }
  // Relative, an XDG variable is no valid XDG folder.
  EnvironmentVariable config("XDG_CONFIG_HOME", "relative/config");
  EnvironmentVariable state("XDG_STATE_HOME", std::nullopt);
  EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("home") + "/.config");
  EXPECT_EQ(GetWindowsFolder(), tmp.Path("home") + "/.local/state/Tamrel");
  // The backup folder is made, private to the user.
  struct stat info {};
  ASSERT_EQ(stat((tmp.Path("home") + "/.local/state/Tamrel").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
}

}  // namespace
}  // namespace tamrel::testing
