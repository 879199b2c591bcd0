// Runs a program as a user would from a shell: the tool for the tests of the
// tool, this test program itself for the tests that kill a process.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tamrel::testing {

using EnvironmentChanges = std::vector<std::pair<std::string, std::string>>;

// A program started beside the test, with the variables of `environment` set
// on top of this process's environment; standard input is empty, standard
// output goes to the file `out_path` (or nowhere that takes a byte, for
// kUnwritableOutput), standard error to the file `err_path`. It is killed
// when the object goes, unless it ended before.
class StartedProgram {
 public:
  StartedProgram(const std::string& program, const std::vector<std::string>& args,
                 const EnvironmentChanges& environment, const std::string& out_path,
                 const std::string& err_path);
  ~StartedProgram() { Kill(); }
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool started() const { return process_ != kNone; }
  // Waits for the program's end: its exit status, -1 when it did not end by
  // itself.
  int Wait();
  // Ends the program where it is, as a crash would; false when it had
  // already ended by itself (or never started).
  bool Kill();

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t process_ = kNone;  // a process id on POSIX, a process handle on Windows
};

// Runs `program` as StartedProgram does and waits for its end: the exit
// status, -1 when the program did not end by itself.
inline int RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const EnvironmentChanges& environment, const std::string& out_path,
                      const std::string& err_path) {
  return StartedProgram(program, args, environment, out_path, err_path).Wait();
}

// The path of the running program: a test program can start itself again.
std::string ThisProgram();

// An `out_path` that refuses every write, as a full disk does.
extern const char kUnwritableOutput[];

// The folders a program run by a test uses, made private to the test where
// the platform lets a test redirect them.
struct ProgramFolders {
  EnvironmentChanges environment;
  std::string application_data;  // special folder 26 as the program sees it
  std::string backup;            // where backup copies go
};

// Backup copies below `state`; on POSIX also the application data below
// `config` and the home folder at `home`. Windows takes its roaming
// application-data folder from the user's profile, which a variable does not
// move: there the program uses the real one.
ProgramFolders IsolatedFolders(const std::string& state, const std::string& config,
                               const std::string& home);

}  // namespace tamrel::testing
