// Runs the tamrel program as a child process, as a user or a script would,
// with its own backup and configuration folders.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tamrel::testing {

struct ProcessResult {
  int status = -1;  // the exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` with `args`. The child's environment is this process's with
// the entries of `environment` set on top. Standard input is empty.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment);

}  // namespace tamrel::testing
