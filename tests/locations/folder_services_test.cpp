// The four folder services: the native POSIX answers (XDG folders read at
// each call, the backup folder made 0700, canonical long paths, no chooser)
// and the contracts the services keep whatever the hooks do.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

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
namespace fs = std::filesystem;

// Sets an environment variable for the scope and puts the old value back.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvironmentVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentVariable(const EnvironmentVariable&) = delete;
  EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SpecialFolderTest, AppDataFollowsTheEnvironmentAtEachCall) {
  TempDir tmp;
  EnvironmentVariable home("HOME", tmp.Path("home"));
  {
    EnvironmentVariable config("XDG_CONFIG_HOME", tmp.Path("config"));
    EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("config"));
  }
  EnvironmentVariable unset("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("home") + "/.config");
  // A relative value is not a valid XDG folder and is ignored.
  EnvironmentVariable relative("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(GetSpecialfolder(kCsidlAppData), tmp.Path("home") + "/.config");
}

TEST(SpecialFolderTest, AFolderWithoutPosixMeaningIsEmpty) {
  for (int32_t csidl : {0, 5, 28, 35, -1, 100000}) {
    EXPECT_EQ(GetSpecialfolder(csidl), "") << csidl;
  }
}

TEST(WindowsFolderTest, IsThePerUserBackupFolderMadePrivate) {
  TempDir tmp;
  EnvironmentVariable state("XDG_STATE_HOME", tmp.Path("state"));
  const std::string folder = GetWindowsFolder();
  EXPECT_EQ(folder, tmp.Path("state") + "/Tamrel");
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(GetWindowsFolder(), folder);
  EXPECT_EQ(folder.find('\0'), std::string::npos);
}

TEST(WindowsFolderTest, DefaultsToTheLocalStateFolderOfHome) {
  TempDir tmp;
  EnvironmentVariable home("HOME", tmp.Path("home"));
  EnvironmentVariable state("XDG_STATE_HOME", std::nullopt);
  EXPECT_EQ(GetWindowsFolder(), tmp.Path("home") + "/.local/state/Tamrel");
  EXPECT_TRUE(fs::is_directory(tmp.Path("home") + "/.local/state/Tamrel"));
}

TEST(LongPathTest, ResolvesExistingPathsOnly) {
  TempDir tmp;
  fs::create_directories(tmp.path() / "a" / "b");
  const std::string canonical = fs::canonical(tmp.path() / "a" / "b").string();
  EXPECT_EQ(GetLongPath(tmp.Path("a") + "/../a/./b"), canonical);
  EXPECT_EQ(GetLongPath(tmp.Path("a/missing")), "");
}

TEST(LongPathTest, GivesTheInputBackWhenThePlatformCallRaises) {
  platform::Hooks hooks;
  hooks.long_path = [](const std::string&) -> std::string { Raise(errc::kNoSuchMember); };
  platform::Scope scope(hooks);
  EXPECT_EQ(GetLongPath("/some/short~1/path"), "/some/short~1/path");
}

TEST(BrowseForFolderTest, WithoutAChooserItRaises) {
  std::string folder = "unchanged";
  EXPECT_NE(ErrorNumberOf([&] { BrowseForFolder(0, "Select folder", folder); }), 0);
  EXPECT_EQ(folder, "unchanged");
}

TEST(BrowseForFolderTest, ACancelledChoiceLeavesTheFolderUntouched) {
  int calls = 0;
  platform::Hooks hooks;
  hooks.browse_for_folder = [&](int32_t owner, const std::string& title, std::string& folder) {
    ++calls;
    EXPECT_EQ(owner, 0);
    EXPECT_EQ(title, "Select folder for X");
    folder = "scribbled by a cancelled chooser";
    return false;
  };
  platform::Scope scope(hooks);
  std::string folder = "before";
  EXPECT_FALSE(BrowseForFolder(0, "Select folder for X", folder));
  EXPECT_EQ(folder, "before");
  EXPECT_EQ(calls, 1);
}

TEST(BrowseForFolderTest, AChosenFolderIsReturnedAsChosen) {
  platform::Hooks hooks;
  hooks.browse_for_folder = [](int32_t, const std::string&, std::string& folder) {
    folder = "/chosen/folder";
    return true;
  };
  platform::Scope scope(hooks);
  std::string folder;
  EXPECT_TRUE(BrowseForFolder(0, "t", folder));
  EXPECT_EQ(folder, "/chosen/folder");
}

}  // namespace
}  // namespace tamrel
