// A save on a user's real file system: symbolic links written through, the
// file's owner, group, permissions, extended attributes and access control
// list kept, a temporary file never more open than the file, private backup
// copies, and a lock file that cannot be abused and leaves nothing behind.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "persist/persist_fixture.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr double kYesterday = 1;  // days before now

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::optional<std::string> Attribute(const std::string& path, const char* name) {
  std::string value(256, '\0');
  const ssize_t size = getxattr(path.c_str(), name, value.data(), value.size());
  if (size < 0) return std::nullopt;
  value.resize(static_cast<std::size_t>(size));
  return value;
}

// An access control list as the kernel stores it: the file's owner, group
// and others, one named user (uid 1002) who may read, and the mask.
std::string AclWithReaderOf1002() {
  struct Entry {
    uint16_t tag, permissions;
    uint32_t id;
  };
  const Entry entries[] = {
      {0x01, 6, ~0u}, {0x02, 4, 1002}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 0, ~0u}};
  std::string acl(4, '\0');
  acl[0] = 2;  // version
  for (const Entry& entry : entries) acl.append(reinterpret_cast<const char*>(&entry), 8);
  return acl;
}

// Records the permission bits of each temporary file as it is handed over
// for writing: what another user could open while the text is written.
class ModeRecordingBackend : public FaultInjectingBackend {
 public:
  std::unique_ptr<platform::WritableFile> CreateTempFile(
      Path folder, Path prefix, std::string& temp_path,
      const platform::NewFileModel& model) override {
    auto file = FaultInjectingBackend::CreateTempFile(folder, prefix, temp_path, model);
    modes.push_back(StatOf(temp_path).st_mode & 07777);
    return file;
  }
  std::vector<mode_t> modes;
};

class UsersFileSystemTest : public PersistTest {
 protected:
  UsersFileSystemTest() : old_umask_(umask(022)) {
    Fill(*context_, {{"Account", "Password", 1, "secret"}});
  }
  ~UsersFileSystemTest() override { umask(old_umask_); }

  void DateBack(const std::string& path) {
    platform::Current().file_system->SetModified(path, platform::Current().now() - kYesterday);
  }
  const std::string saved_ = ContextFile(Element("Account", "Password", 1, "secret"));

 private:
  mode_t old_umask_;
};

// The link stays a link; the file it leads to is replaced in its own folder
// and its generations are kept there; the lock, the backup copy and the
// clean-up act on that file, so no folder keeps anything else.
TEST_F(UsersFileSystemTest, ASymbolicLinkIsWrittenThrough) {
  const struct Case {
    const char* what;
    std::string link;
    std::string target;  // the file the link leads to at last, made first unless dangling
    std::vector<std::pair<std::string, std::string>> links;  // link -> what it holds
    bool dangling = false;
  } cases[] = {
      {"a link", "Setup.tmc", "repo/Setup.tmc", {{"Setup.tmc", dir_.Path("repo/Setup.tmc")}}},
      {"a relative link", "Setup.tmc", "repo/Setup.tmc", {{"Setup.tmc", "repo/Setup.tmc"}}},
      {"a link to a link",
       "Setup.tmc",
       "repo/real/Setup.tmc",
       {{"Setup.tmc", "repo/Setup.tmc"}, {"repo/Setup.tmc", "real/Setup.tmc"}}},
      {"a dangling link", "Setup.tmc", "repo/Setup.tmc", {{"Setup.tmc", "repo/Setup.tmc"}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_.path());
    fs::create_directories(windows_);
    fs::create_directories(fs::path(dir_.Path(c.target)).parent_path());
    if (!c.dangling) WriteDated(dir_.Path(c.target), "yesterday's", 45000);
    for (const auto& [link, holds] : c.links) fs::create_symlink(holds, dir_.Path(link));
    context_->Clear();
    Fill(*context_, {{"Account", "Password", 1, "secret"}});
    const std::string link = dir_.Path(c.link), target = dir_.Path(c.target);

    ASSERT_TRUE(context_->Save(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target), saved_);
    EXPECT_EQ(BackupCopyPath(link), BackupCopyPath(target));
    EXPECT_EQ(Read(BackupCopyPath(link)), saved_);
    const std::string generation = fs::path(target).replace_filename("Setup(1).tmc").string();
    EXPECT_EQ(Exists(generation), !c.dangling);
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.find(".lock") != std::string::npos || name.find(".tmp-") != std::string::npos) {
        left.push_back(name);
      }
    }
    EXPECT_EQ(left, std::vector<std::string>{});
    // A recovery restores the file the link leads to, and the link stays.
    WriteDated(target, "<context><A>", 45000);
    EXPECT_TRUE(context_->Load(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target), saved_);
    EXPECT_EQ(Read(target + "_corrupt(1)"), "<context><A>");
  }
}

// What another user may do with the file stays as it was, on every save,
// the day's first included; the new text is never readable by more users
// than the old file was, not even while it is written. Saved by root, a
// user's file stays the user's.
TEST_F(UsersFileSystemTest, TheFilesOwnerPermissionsAttributesAndAclAreKept) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the file another owner";
  const std::string path = dir_.WriteFile("Setup.tmc", "old");
  ASSERT_EQ(chown(path.c_str(), 1001, 1002), 0);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const std::string acl = AclWithReaderOf1002();
  const bool has_acl =
      setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  const bool has_user_attribute = setxattr(path.c_str(), "user.origin", "dotfiles", 8, 0) == 0;
  auto disk = std::make_shared<ModeRecordingBackend>();
  platform::Scope scope(FaultInjectingBackend::Hooks(disk));
  for (const bool day_first : {false, true}) {
    SCOPED_TRACE(day_first ? "the day's first save" : "a later save");
    if (day_first) DateBack(path);
    ASSERT_TRUE(context_->Save(path));
    const struct stat info = StatOf(path);
    EXPECT_EQ(info.st_uid, 1001u);
    EXPECT_EQ(info.st_gid, 1002u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // Where the file system keeps them.
    if (has_acl) {
      EXPECT_EQ(Attribute(path, "system.posix_acl_access"), acl);
    }
    if (has_user_attribute) {
      EXPECT_EQ(Attribute(path, "user.origin"), "dotfiles");
    }
  }
  // Each temporary file had its final permissions before any text reached
  // it: the file's, and the saver's alone for the backup copies.
  EXPECT_EQ(disk->modes, (std::vector<mode_t>{0640, 0600, 0640, 0600}));
  EXPECT_EQ(StatOf(Backup("Setup.tmc")).st_mode & 07777, 0600u);
}

// The backup folder and its copies are private, also where an older folder
// was left open to others.
TEST_F(UsersFileSystemTest, BackupFoldersAreMadeAndKeptPrivate) {
  const std::string state = dir_.Path("state");
  setenv("XDG_STATE_HOME", state.c_str(), 1);
  platform::Hooks native;
  native.windows_folder = platform::NativeHooks().windows_folder;
  platform::Scope scope(native);
  ASSERT_TRUE(context_->Save(dir_.Path("Setup.tmc")));
  EXPECT_EQ(StatOf(state).st_mode & 0777, 0700u);
  EXPECT_EQ(StatOf(state + "/Tamrel").st_mode & 0777, 0700u);
  chmod((state + "/Tamrel").c_str(), 0755);
  ASSERT_TRUE(context_->Save(dir_.Path("Setup.tmc")));
  EXPECT_EQ(StatOf(state + "/Tamrel").st_mode & 0777, 0700u);
  EXPECT_EQ(StatOf(BackupCopyPath(dir_.Path("Setup.tmc"))).st_mode & 0777, 0600u);
  unsetenv("XDG_STATE_HOME");
}

// Whatever is planted at the lock file's name is refused at once (75), never
// followed nor waited on, and left as it was.
TEST_F(UsersFileSystemTest, ALockPathThatIsNoPlainFileIsRefused) {
  const std::string path = dir_.WriteFile("Setup.tmc", "old");
  const std::string lock = ContextFileLock::LockFileOf(path);
  const std::string planted_target = dir_.Path("planted");
  const struct Case {
    const char* what;
    std::function<void()> plant;
  } cases[] = {
      {"a pipe", [&] { ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0); }},
      {"a link", [&] { fs::create_symlink(planted_target, lock); }},
      {"a folder", [&] { fs::create_directory(lock); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(lock);
    c.plant();
    host_->ClearCalls();
    EXPECT_FALSE(context_->Save(path));
    EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", errc::kPathFileAccess}}));
    EXPECT_EQ(Read(path), "old");
    EXPECT_FALSE(Exists(planted_target));
  }
}

// Links that lead round in a circle name no file: the save is refused and
// the links stay as they were.
TEST_F(UsersFileSystemTest, LinksInACircleAreRefused) {
  fs::create_symlink("b.tmc", dir_.Path("a.tmc"));
  fs::create_symlink("a.tmc", dir_.Path("b.tmc"));
  EXPECT_FALSE(context_->Save(dir_.Path("a.tmc")));
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", errc::kPathFileAccess}}));
  EXPECT_TRUE(fs::is_symlink(dir_.Path("a.tmc")) && fs::is_symlink(dir_.Path("b.tmc")));
}

// The lock file is no more open than the file it guards, private for a
// file yet to be made, and taking the lock needs write access: a user who
// may only read the lock file cannot hold the file's saves up.
TEST_F(UsersFileSystemTest, TheLockFileIsNoMoreOpenThanTheFileAndReadersCannotTakeIt) {
  const std::string fresh = dir_.Path("New.tmc");
  {
    ContextFileLock lock(fresh);
    EXPECT_EQ(StatOf(ContextFileLock::LockFileOf(fresh)).st_mode & 0777, 0600u);
  }
  const std::string path = dir_.WriteFile("Setup.tmc", "old");
  chmod(path.c_str(), 0640);
  {
    ContextFileLock lock(path);
    EXPECT_EQ(StatOf(ContextFileLock::LockFileOf(path)).st_mode & 0777, 0640u);
  }
  const int reader = open(ContextFileLock::LockFileOf(path).c_str(), O_RDONLY | O_CREAT, 0640);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(flock(reader, LOCK_EX), 0);
  EXPECT_EQ(ErrorNumberOf([&] { ContextFileLock lock(path, 0.2); }), 0);
  close(reader);
}

}  // namespace
}  // namespace tamrel::testing
