// The native POSIX folder services: XDG folders read at each call, the backup
// folder made 0700, and canonical long paths.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

// Sets an environment variable (nullopt: unsets it) for the scope.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    Set(value);
  }
  ~EnvironmentVariable() { Set(old_); }

 private:
  void Set(const std::optional<std::string>& value) {
    value ? setenv(name_, value->c_str(), 1) : unsetenv(name_);
  }
  const char* name_;
  std::optional<std::string> old_;
};

TEST(FolderServicesTest, XdgFoldersFollowTheEnvironmentAtEachCall) {
  TempDir tmp;
  EnvironmentVariable home("HOME", tmp.Path("home"));
  for (const char* relative : {"state", "config"}) {  // both set
    EnvironmentVariable config("XDG_CONFIG_HOME", tmp.Path("config"));
    EnvironmentVariable state("XDG_STATE_HOME", tmp.Path(relative));
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("config"));
    EXPECT_EQ(GetWindowsFolder(), tmp.Path(relative) + "/Tamrel");
  }
  // Unset or relative, an XDG variable is no valid XDG folder.
  for (std::optional<std::string> value : {std::optional<std::string>(), {"relative/config"}}) {
    EnvironmentVariable config("XDG_CONFIG_HOME", value);
    EnvironmentVariable state("XDG_STATE_HOME", value);
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("home") + "/.config");
    EXPECT_EQ(GetWindowsFolder(), tmp.Path("home") + "/.local/state/Tamrel");
  }
  for (int32_t csidl : {0, 28, -1}) EXPECT_EQ(GetSpecialfolder(csidl), "") << csidl;
  // The backup folder is made, private to the user.
  struct stat info {};
  ASSERT_EQ(stat((tmp.Path("home") + "/.local/state/Tamrel").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(FolderServicesTest, LongPathResolvesExistingPathsAndGivesTheInputBackWhenThePlatformRaises) {
  TempDir tmp;
  std::filesystem::create_directories(tmp.path() / "a" / "b");
  EXPECT_EQ(GetLongPath(tmp.Path("a") + "/../a/./b"),
            std::filesystem::canonical(tmp.path() / "a" / "b").string());
  EXPECT_EQ(GetLongPath(tmp.Path("a/missing")), "");
  platform::Hooks hooks;
  hooks.long_path = [](const std::string&) -> std::string { Raise(errc::kNoSuchMember); };
  platform::Scope scope(hooks);
  EXPECT_EQ(GetLongPath("/some/short~1/path"), "/some/short~1/path");
}

}  // namespace
}  // namespace tamrel::testing
