// The four folder services: the native POSIX answers (XDG folders read at
// each call, the backup folder made 0700, canonical long paths, no chooser)
// and the contracts the services keep whatever the hooks do.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using testing::TempDir;

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

TEST(AppDataFolderTest, FollowsTheEnvironmentAtEachCall) {
  TempDir tmp;
  EnvironmentVariable home("HOME", tmp.Path("home"));
  {
    EnvironmentVariable config("XDG_CONFIG_HOME", tmp.Path("config"));
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("config"));
  }
  // Unset or relative, XDG_CONFIG_HOME is no valid XDG folder.
  for (std::optional<std::string> value : {std::optional<std::string>(), {"relative/config"}}) {
    EnvironmentVariable config("XDG_CONFIG_HOME", value);
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("home") + "/.config");
  }
  for (int32_t csidl : {0, 28, -1}) EXPECT_EQ(GetSpecialfolder(csidl), "") << csidl;
}

TEST(WindowsFolderTest, IsThePerUserBackupFolderMadePrivate) {
  TempDir tmp;
  EnvironmentVariable home("HOME", tmp.Path("home"));
  {
    EnvironmentVariable state("XDG_STATE_HOME", tmp.Path("state"));
    const std::string folder = GetWindowsFolder();
    EXPECT_EQ(folder, tmp.Path("state") + "/Tamrel");
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
  EnvironmentVariable state("XDG_STATE_HOME", std::nullopt);
  EXPECT_EQ(GetWindowsFolder(), tmp.Path("home") + "/.local/state/Tamrel");
  EXPECT_TRUE(std::filesystem::is_directory(tmp.Path("home") + "/.local/state/Tamrel"));
}

TEST(LongPathTest, ResolvesExistingPathsAndGivesTheInputBackWhenThePlatformRaises) {
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

TEST(BrowseForFolderTest, OnlyAChosenFolderChangesTheVariable) {
  std::string folder = "unchanged";
  EXPECT_NE(ErrorNumberOf([&] { BrowseForFolder(0, "Select folder", folder); }), 0)
      << "there is no native chooser";
  platform::Hooks hooks;
  hooks.browse_for_folder = [](int32_t, const std::string& title, std::string& chosen) {
    chosen = "/chosen/" + title;
    return title == "ok";
  };
  platform::Scope scope(hooks);
  EXPECT_FALSE(BrowseForFolder(0, "cancel", folder));
  EXPECT_EQ(folder, "unchanged");
  EXPECT_TRUE(BrowseForFolder(0, "ok", folder));
  EXPECT_EQ(folder, "/chosen/ok");
}

}  // namespace
}  // namespace tamrel
