#include "support/run_program.hpp"

#include <sys/wait.h>

#include <cstdlib>

namespace tamrel::testing {
namespace {

// `text` as one word for the shell.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

const char kUnwritableOutput[] = "/dev/full";

int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const EnvironmentChanges& environment, const std::string& out_path,
               const std::string& err_path) {
  std::string command;
  for (const auto& [name, value] : environment) command += name + "=" + Quoted(value) + " ";
  command += Quoted(program);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " </dev/null >" + Quoted(out_path) + " 2>" + Quoted(err_path);
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProgramFolders IsolatedFolders(const std::string& state, const std::string& config,
                               const std::string& home) {
  return {{{"XDG_STATE_HOME", state}, {"XDG_CONFIG_HOME", config}, {"HOME", home}},
          config,
          state + "/Tamrel"};
}

}  // namespace tamrel::testing
