#include "support/run_program.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

extern char** environ;

namespace tamrel::testing {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

const char kUnwritableOutput[] = "/dev/full";

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string>& args,
                               const EnvironmentChanges& environment, const std::string& out_path,
                               const std::string& err_path) {
  // All is made ready before the fork: a child of a process with threads may
  // only make system calls.
  std::vector<std::string> argv = {program}, envp;
  argv.insert(argv.end(), args.begin(), args.end());
  for (const auto& [name, value] : environment) envp.push_back(name + "=" + value);
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string text = *variable;
    const auto changed = [&text](const auto& change) {
      return text.rfind(change.first + "=", 0) == 0;
    };
    if (std::ranges::none_of(environment, changed)) envp.push_back(text);
  }
  const std::vector<char*> arg_pointers = Pointers(argv), env_pointers = Pointers(envp);
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    execve(program.c_str(), arg_pointers.data(), env_pointers.data());
    _exit(127);
  }
  if (child > 0) process_ = child;
}

int StartedProgram::Wait() {
  int status = 0;
  if (!started() || waitpid(static_cast<pid_t>(process_), &status, 0) < 0) return -1;
  process_ = kNone;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool StartedProgram::Kill() {
  if (!started()) return false;
  int status = 0;
  const bool running = waitpid(static_cast<pid_t>(process_), &status, WNOHANG) == 0;
  if (running) kill(static_cast<pid_t>(process_), SIGKILL);
  if (running) Wait();
  process_ = kNone;
  return running;
}

std::string ThisProgram() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

ProgramFolders IsolatedFolders(const std::string& state, const std::string& config,
                               const std::string& home) {
  return {{{"XDG_STATE_HOME", state}, {"XDG_CONFIG_HOME", config}, {"HOME", home}},
          config,
          state + "/Tamrel"};
}

}  // namespace tamrel::testing
