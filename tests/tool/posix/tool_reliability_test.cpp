// The tool on a hostile POSIX file system, run as a user would from a shell:
// eight programs setting values in one file at once, and paths the library
// cannot use (special files, names too long, folders another user may not
// write, a read-only $TMPDIR).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/recording_host.hpp"
#include "support/run_program.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

TEST(ToolReliability, EightProgramsSettingValuesAtOnceKeepAllTwoHundred) {
  constexpr int kPrograms = 8;
  constexpr int kSetsEach = 25;
  TempDir dir, io;
  const ProgramFolders folders =
      IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
  const std::string file = dir.Path("Prefs.tmc");
  // In the script "$0" is the tool and "$1" the file; the ids are distinct.
  std::string script;
  for (int p = 0; p < kPrograms; ++p) {
    script += "(for i in $(seq 1 " + std::to_string(kSetsEach) +
              "); do \"$0\" set \"$1\" Stress p" + std::to_string(p) +
              "_$i v$i || echo failed >&2; done) & ";
  }
  ASSERT_EQ(RunProgram("/bin/sh", {"-c", script + "wait", TAMREL_TOOL_PATH, file},
                       folders.environment, io.Path("out"), io.Path("err")),
            0);
  EXPECT_EQ(TempDir::ReadFile(io.Path("err")), "");

  auto host = RecordingHost::Make();
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  platform::Hooks hooks;
  hooks.windows_folder = [&] { return folders.backup; };
  platform::Scope scope(hooks);
  ASSERT_TRUE(context->Load(file));
  for (const HostCall& call : host->calls()) {
    EXPECT_NE(call.op, "ShowMessage") << "the file needed a repair";
    EXPECT_NE(call.op, "RegisterError") << call.error.description;
  }
  // One value each, no more.
  EXPECT_EQ(Records(*context).size(), std::size_t{kPrograms * kSetsEach});
  for (int p = 0; p < kPrograms; ++p) {
    for (int i = 1; i <= kSetsEach; ++i) {
      const std::string id = "p" + std::to_string(p) + "_" + std::to_string(i);
      EXPECT_EQ(CStr(context->Value("Stress", id)), "v" + std::to_string(i)) << id;
    }
  }
  EXPECT_EQ(TempDir::ReadFile(BackupCopyPath(file)), TempDir::ReadFile(file));
}

// In each script "$0" is the tool, "$1" a context file of two values in the
// folder "$2", whose backup copy goes below "$XDG_STATE_HOME". Scripts that
// set up what only root may (another user's view, a mount) are skipped for
// other users.
TEST(ToolReliability, EachPathTheLibraryCannotUseIsNamedWithItsCauseAndStatus) {
  const std::string as_nobody =
      "chmod 755 \"$2\"; exec setpriv --reuid=65534 --regid=65534 --clear-groups ";
  const std::string long_name = "\"$2/$(printf 'x%.0s' $(seq 300)).tmc\"";
  const struct Row {
    const char* what;
    bool needs_root;
    std::string script;
    int status;
    std::string message;  // on standard error; "" for none at all
  } rows[] = {
      {"a FIFO as FILE, read", false, "rm \"$1\"; mkfifo \"$1\"; exec \"$0\" get \"$1\" Setup Port",
       3, "is a FIFO (named pipe), not a context file"},
      {"a FIFO as FILE, written", false,
       "rm \"$1\"; mkfifo \"$1\"; exec \"$0\" set \"$1\" Setup Port COM2", 3,
       "is a FIFO (named pipe), not a context file"},
      {"a device as FILE", false, "exec \"$0\" list /dev/null", 3,
       "/dev/null is a character device, not a context file"},
      // The bound is the test's: a lock taken on a FIFO would wait for ever.
      {"a FIFO as the lock file", false,
       "mkfifo \"$1.lock\"; exec timeout 30 \"$0\" set \"$1\" Setup Port COM2", 3,
       "is a FIFO (named pipe), not a lock file"},
      {"a symbolic link as the lock file", false,
       "ln -s \"$2/elsewhere\" \"$1.lock\"; exec \"$0\" set \"$1\" Setup Port COM2", 3,
       "is a symbolic link, not a lock file"},
      {"a name too long, read", false, "exec \"$0\" get " + long_name + " Setup Port", 3,
       "File name too long"},
      {"a name too long, written", false, "exec \"$0\" set " + long_name + " Setup Port COM2", 3,
       "File name too long"},
      {"a folder another user may not write", true,
       "mkdir \"$2/theirs\"; " + as_nobody + "\"$0\" set \"$2/theirs/Prefs.tmc\" Setup Port COM2",
       3, "the folder $2/theirs cannot be written"},
      {"a backup folder another user may not write", true,
       "mkdir -m 777 \"$2/open\"; mkdir -p \"$XDG_STATE_HOME/Tamrel\"; chmod -R 755 "
       "\"$XDG_STATE_HOME\"; " +
           as_nobody + "\"$0\" set \"$2/open/Prefs.tmc\" Setup Port COM2",
       4, "saved $2/open/Prefs.tmc, but its backup copy "},
      {"a read-only $TMPDIR", true,
       "mkdir \"$2/tmp\"; exec unshare -m sh -c 'mount -t tmpfs -o size=16k,ro tmpfs \"$3\" && "
       "TMPDIR=\"$3\" exec \"$0\" get \"$1\" Setup Port' \"$0\" \"$1\" \"$2\" \"$2/tmp\"",
       0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.needs_root && geteuid() != 0) continue;
    TempDir dir, io;
    const ProgramFolders folders =
        IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
    dir.WriteFile("Prefs.tmc",
                  "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>");
    const int status = RunProgram(
        "/bin/sh",
        {"-c", row.script, TAMREL_TOOL_PATH, dir.Path("Prefs.tmc"), Utf8Text(dir.path())},
        folders.environment, io.Path("out"), io.Path("err"));
    const std::string err = TempDir::ReadFile(io.Path("err"));
    EXPECT_EQ(status, row.status) << err;
    std::string message = row.message;
    for (std::size_t at = message.find("$2"); at != std::string::npos; at = message.find("$2")) {
      message.replace(at, 2, Utf8Text(dir.path()));
    }
    if (message.empty()) {
      EXPECT_EQ(err, "");
    } else {
      EXPECT_NE(err.find(message), std::string::npos) << err;
    }
  }
}

// The file of a dotfile manager is a relative link into a repository; the
// copies are named after the file it leads to, the one that is saved.
TEST(ToolReliability, WhereFileNamesTheCopiesOfTheFileALinkLeadsTo) {
  TempDir dir, io;
  const ProgramFolders folders =
      IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
  const std::string link = Utf8Text(dir.path() / "Prefs.tmc");
  const std::string target = Utf8Text(dir.path() / "repo" / "Prefs.tmc");
  std::filesystem::create_directory(dir.path() / "repo");
  std::filesystem::create_symlink("repo/Prefs.tmc", dir.path() / "Prefs.tmc");
  ASSERT_EQ(RunProgram(TAMREL_TOOL_PATH, {"where", "--file", link}, folders.environment,
                       io.Path("out"), io.Path("err")),
            0);
  const std::string out = TempDir::ReadFile(io.Path("out"));
  for (const std::string& line :
       {"context file:       " + target + " (through the link " + link + ")\n",
        "lock file:          " + target + ".lock (while a save runs)\n",
        "generations:        " + Utf8Text(dir.path() / "repo" / "Prefs(N).tmc") + "\n"}) {
    EXPECT_NE(out.find(line), std::string::npos) << out;
  }
  const std::size_t backup_at = out.find("backup copy:        ");
  ASSERT_NE(backup_at, std::string::npos) << out;
  const std::size_t name_at = backup_at + std::string("backup copy:        ").size();
  const std::string backup = out.substr(name_at, out.find('\n', name_at) - name_at);

  ASSERT_EQ(RunProgram(TAMREL_TOOL_PATH, {"set", link, "Setup", "Port", "COM2"},
                       folders.environment, io.Path("out"), io.Path("err")),
            0);
  EXPECT_EQ(TempDir::ReadFile(backup), TempDir::ReadFile(link)) << backup;
}

}  // namespace
}  // namespace tamrel::testing
