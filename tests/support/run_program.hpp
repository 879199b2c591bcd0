// Runs a program as a user would from a shell, for the tests of the tool.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tamrel::testing {

using EnvironmentChanges = std::vector<std::pair<std::string, std::string>>;

// Runs `program` with `args` and the variables of `environment` set on top
// of this process's environment; standard input is empty, standard output
// goes to the file `out_path` (or nowhere that takes a byte, for
// kUnwritableOutput), standard error to the file `err_path`. Returns the
// exit status, -1 when the program did not end by itself.
int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const EnvironmentChanges& environment, const std::string& out_path,
               const std::string& err_path);

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
