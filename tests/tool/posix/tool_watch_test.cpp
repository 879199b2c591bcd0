// tamrel watch as a user runs it from a shell: started, another tamrel saves
// the file, the changes appear as lines, and a signal ends it with status 0.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.hpp"
#include "support/temp_dir.hpp"

namespace tamrel::testing {
namespace {

TEST(ToolWatch, PrintsEachSavesChangesUntilInterruptedThenExitsZero) {
  const struct {
    std::string signal, options;
    std::string shown;  // the other tag is shown only without TAG and ID
  } cases[] = {
      {"INT", "", "~  Window  Left  1  20\n+  Window  Left  2  10\n+  Other  Left  1  x\n"},
      {"TERM", "Window Left --json",
       "{\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 1, \"value\": \"20\", \"change\": "
       "\"changed\"}\n{\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 2, \"value\": "
       "\"10\", \"change\": \"added\"}\n"},
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
        "Other Left x && sleep 1 && kill -" +
        c.signal + " $! && wait $!";
    EXPECT_EQ(RunProgram("/bin/sh", {"-c", script, TAMREL_TOOL_PATH, dir.Path("Prefs.tmc")},
                         folders.environment, dir.Path("out"), dir.Path("err")),
              0)
        << TempDir::ReadFile(dir.Path("err"));
    EXPECT_EQ(TempDir::ReadFile(dir.Path("out")), c.shown);
  }
}

}  // namespace
}  // namespace tamrel::testing
