// tamrel: inspect and edit context files from the command line.
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "commands.hpp"
#include "console_host.hpp"
#include "tamrel/platform.hpp"
#include "utf8_path.hpp"

namespace {

// `status`, unless standard output could not be written (a full disk, a
// closed descriptor): then what the command printed is lost, and the
// command has not done its job.
int WithOutputWritten(int status) {
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "tamrel: cannot write to standard output\n";
  return tamrel::tool::kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tamrel::tool;
  tamrel::platform::UseUtf8Console();
  const std::vector<std::string> args = tamrel::platform::CommandLineArguments(argc, argv);
  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.invocation) {
    std::cerr << "tamrel: " << parsed.error << '\n' << ShortUsage(parsed.command);
    return kExitUsage;
  }
  const Invocation& invocation = *parsed.invocation;
  if (invocation.help) {
    std::cout << (invocation.command ? CommandHelp(*invocation.command) : GeneralHelp());
    return WithOutputWritten(kExitOk);
  }

  std::ofstream log_file;
  std::ostream* log = invocation.verbose ? &std::cerr : nullptr;
  if (!invocation.log_file.empty()) {
    log_file.open(PathOf(invocation.log_file), std::ios::app);
    if (!log_file) {
      std::cerr << "tamrel: cannot open the log file " << invocation.log_file << '\n';
      return kExitFailed;
    }
    log = &log_file;
  }
  auto host = std::make_shared<ConsoleHost>(log, std::cerr);
  return WithOutputWritten(RunCommand(invocation, host, std::cout, std::cerr));
}
