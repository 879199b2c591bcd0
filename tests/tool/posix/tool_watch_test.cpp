// tamrel watch as a user runs it from a shell: started, another tamrel saves
// the file, the changes appear as lines, a damaged or removed file is told on
// standard error, and a signal ends it with status 0.
#include <gtest/gtest.h>

#include <string>

#include "support/replace_all.hpp"
#include "support/run_program.hpp"
#include "support/temp_dir.hpp"

namespace tamrel::testing {
namespace {

TEST(ToolWatch, PrintsEachSavesChangesUntilInterruptedThenExitsZero) {
  const struct {
    std::string signal, options;
    std::string shown;  // the other tag is shown only without TAG and ID
    std::string end;    // what else becomes of the file
    std::string told;   // on standard error, "{file}" for the file
  } cases[] = {
      {"INT", "", "~  Window  Left  1  20\n+  Window  Left  2  10\n+  Other  Left  1  x\n",
       "printf '<context><A' > \"$1\" && sleep 1 && rm \"$1\" && sleep 1 && ",
       "tamrel: {file} is damaged: Invalid procedure call or argument\ntamrel: {file} is gone\n"},
      {"TERM", "Window Left --json",
       "{\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 1, \"value\": \"20\", \"change\": "
       "\"changed\"}\n{\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 2, \"value\": "
       "\"10\", \"change\": \"added\"}\n",
       "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signal);
    TempDir dir;
    const ProgramFolders folders =
        IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
    // "$0" is the tool, "$1" the file; the status is the watcher's.
    const std::string script =
        "\"$0\" set \"$1\" Window Left 10 && { \"$0\" watch \"$1\" " + c.options +
        " & } && sleep 0.5 && \"$0\" set \"$1\" Window Left 20 && sleep 1 && \"$0\" set \"$1\" "
        "Other Left x && sleep 1 && " +
        c.end + "kill -" + c.signal + " $! && wait $!";
    EXPECT_EQ(RunProgram("/bin/sh", {"-c", script, TAMREL_TOOL_PATH, dir.Path("Prefs.tmc")},
                         folders.environment, dir.Path("out"), dir.Path("err")),
              0)
        << TempDir::ReadFile(dir.Path("err"));
    EXPECT_EQ(TempDir::ReadFile(dir.Path("out")), c.shown);
    EXPECT_EQ(TempDir::ReadFile(dir.Path("err")),
              ReplaceAll(c.told, "{file}", dir.Path("Prefs.tmc")));
  }
}

}  // namespace
}  // namespace tamrel::testing
