// tamrel watch as a user runs it: started, another tamrel saves the file,
// the changes appear as lines, and an interrupt ends it with status 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/run_program.hpp"
#include "support/temp_dir.hpp"

namespace tamrel::testing {
namespace {

// Starts `args` of the tool with standard output into `out`; returns its pid.
pid_t StartTool(const std::vector<std::string>& args, const ProgramFolders& folders,
                const std::string& out) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const auto& [name, value] : folders.environment) setenv(name.c_str(), value.c_str(), 1);
  if (freopen(out.c_str(), "w", stdout) == nullptr) _exit(127);
  std::vector<char*> argv = {const_cast<char*>(TAMREL_TOOL_PATH)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(TAMREL_TOOL_PATH, argv.data());
  _exit(127);
}

// Waits up to three seconds for `file` to hold `lines` lines.
std::string AfterLines(const std::string& file, std::size_t lines) {
  std::string text;
  for (int wait = 0; wait < 300; ++wait) {
    text = TempDir::ReadFile(file);
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return text;
}

TEST(ToolWatch, PrintsEachSavesChangesUntilInterruptedThenExitsZero) {
  const struct {
    int signal;
    std::vector<std::string> options;
    std::string shown;
  } cases[] = {
      {SIGINT, {}, "~  Window  Left  1  20\n+  Window  Left  2  10\n"},
      {SIGTERM,
       {"Window", "Left", "--json"},
       "{\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 1, \"value\": \"20\", \"change\": "
       "\"changed\"}\n{\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 2, \"value\": "
       "\"10\", \"change\": \"added\"}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.signal));
    TempDir dir;
    const ProgramFolders folders =
        IsolatedFolders(dir.Path("state"), dir.Path("config"), dir.Path("home"));
    const std::string file = dir.Path("Prefs.tmc"), shown = dir.Path("watch.out");
    const auto set = [&](const std::string& tag, const std::string& value) {
      EXPECT_EQ(RunProgram(TAMREL_TOOL_PATH, {"set", file, tag, "Left", value}, folders.environment,
                           dir.Path("set.out"), dir.Path("set.err")),
                0);
    };
    set("Window", "10");
    std::vector<std::string> args = {"watch", file};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const pid_t watch = StartTool(args, folders, shown);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // watching by now
    set("Window", "20");
    EXPECT_EQ(AfterLines(shown, 2), c.shown);
    set("Other", "x");                                            // shown only without TAG and ID
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // reported by now
    EXPECT_EQ(TempDir::ReadFile(shown).find("Other") != std::string::npos, c.options.empty());
    kill(watch, c.signal);
    int status = 0;
    waitpid(watch, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}

}  // namespace
}  // namespace tamrel::testing
