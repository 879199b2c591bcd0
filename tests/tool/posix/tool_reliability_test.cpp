// The tool on a hostile POSIX file system, run from a shell as a user would:
// eight programs setting values in one file at once, and paths the library
// cannot use (special files, names too long, folders another user may not
// write, a read-only $TMPDIR, a full disk, a link to the file).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "support/replace_all.hpp"
#include "support/run_program.hpp"
#include "support/temp_dir.hpp"

namespace tamrel::testing {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

// Runs `script` in a shell where "$0" is the tool, "$1" a context file of one
// value in the folder "$2", whose backup copy goes below "$XDG_STATE_HOME".
Outcome RunScript(const TempDir& dir, const std::string& script) {
  TempDir io;
  const ProgramFolders folders =
      IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
  const int status = RunProgram(
      "/bin/sh", {"-c", script, TAMREL_TOOL_PATH, dir.Path("Prefs.tmc"), Utf8Text(dir.path())},
      folders.environment, io.Path("out"), io.Path("err"));
  return {status, TempDir::ReadFile(io.Path("out")), TempDir::ReadFile(io.Path("err"))};
}

// The lock makes the savers take turns: no value is lost and the file needs
// no repair afterwards.
TEST(ToolReliability, EightProgramsSettingValuesAtOnceKeepAllTwoHundred) {
  TempDir dir;
  std::string script;
  for (int p = 0; p < 8; ++p) {
    script += "(for i in $(seq 1 25); do \"$0\" set \"$1\" Stress p" + std::to_string(p) +
              "_$i v$i || echo failed >&2; done) & ";
  }
  const Outcome set = RunScript(dir, script + "wait");
  EXPECT_EQ(set.status, 0);
  EXPECT_EQ(set.err, "");
  const Outcome list = RunScript(dir, "exec \"$0\" list \"$1\"");
  EXPECT_EQ(list.err, "") << "the file needed a repair";
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 200) << list.out;
  for (const char* line : {"Stress  p0_1   1  v1\n", "Stress  p7_25  1  v25\n"}) {
    EXPECT_NE(list.out.find(line), std::string::npos) << list.out;
  }
}

// Scripts that set up what only root may (another user's view, a mount) are
// skipped for other users.
TEST(ToolReliability, EachPathTheLibraryCannotUseIsNamedWithItsCauseAndStatus) {
  const std::string as_nobody =
      "chmod 755 \"$2\"; exec setpriv --reuid=65534 --regid=65534 --clear-groups ";
  const std::string set = "\"$0\" set \"$1\" Setup Port COM2";
  const struct Row {
    const char* what;
    bool needs_root;
    std::string script;
    int status;
    std::string message;  // on standard output or error; "" for none at all
  } rows[] = {
      {"a FIFO as FILE", false, "rm \"$1\"; mkfifo \"$1\"; exec \"$0\" get \"$1\" Setup Port", 3,
       "is a FIFO (named pipe), not a context file"},
      {"a device as FILE", false, "exec \"$0\" list /dev/null", 3,
       "/dev/null is a character device, not a context file"},
      // The bound is the test's: a lock taken on a FIFO would wait for ever.
      {"a FIFO as the lock file", false, "mkfifo \"$1.lock\"; exec timeout 30 " + set, 3,
       "is a FIFO (named pipe), not a lock file"},
      {"a symbolic link as the lock file", false, "ln -s \"$2/x\" \"$1.lock\"; exec " + set, 3,
       "is a symbolic link, not a lock file"},
      {"a name too long", false,
       "exec \"$0\" get \"$2/$(printf 'x%.0s' $(seq 300)).tmc\" Setup Port", 3,
       "File name too long"},
      // Copies are named after the file a link leads to, the one saved.
      {"a link as FILE", false,
       "mkdir \"$2/repo\"; mv \"$1\" \"$2/repo\"; ln -s repo/Prefs.tmc \"$1\"; exec \"$0\" where "
       "--file \"$1\"",
       0, "context file:       $2/repo/Prefs.tmc (through the link $2/Prefs.tmc)\n"},
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
       0, "COM1\n"},
      // The save fails whole: the file as it was, no temporary file beside it.
      {"a full disk", true,
       "mkdir \"$2/full\"; exec unshare -m sh -c '"
       "mount -t tmpfs -o size=16k tmpfs \"$3\" && cp \"$1\" \"$3\" && "
       "\"$0\" set \"$3/Prefs.tmc\" Setup Port \"$(printf %020000d 0)\"; s=$?; "
       "ls -A \"$3\"; cat \"$3/Prefs.tmc\"; exit $s' \"$0\" \"$1\" \"$2\" \"$2/full\"",
       3,
       "Prefs.tmc\n<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>tamrel: "
       "cannot save $2/full/Prefs.tmc: Disk full (error 61)\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.needs_root && geteuid() != 0) continue;
    TempDir dir;
    dir.WriteFile("Prefs.tmc",
                  "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>");
    const Outcome outcome = RunScript(dir, row.script);
    EXPECT_EQ(outcome.status, row.status) << outcome.err;
    const std::string message = ReplaceAll(row.message, "$2", Utf8Text(dir.path()));
    EXPECT_NE((outcome.out + outcome.err).find(message), std::string::npos) << outcome.err;
  }
}

}  // namespace
}  // namespace tamrel::testing
