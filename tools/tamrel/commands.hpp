// The commands of the tamrel tool, over the public library.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

#include "command_line.hpp"
#include "console_host.hpp"

namespace tamrel::tool {

class OpenedContext;
enum class FileMissing;
enum class Access;

// What every command works with.
struct Session {
  const Invocation& invocation;
  std::shared_ptr<ConsoleHost> host;
  std::ostream& out;
  std::ostream& err;

  const std::string& Argument(std::size_t index) const { return invocation.arguments[index]; }
  OpenedContext Open(FileMissing missing, Access access) const;
};

// The commands' functions, each named in its CommandSpec (command_table.cpp).
int List(const Session& session);
int Get(const Session& session);
int Set(const Session& session);
int Remove(const Session& session);
int Verify(const Session& session);
int Log(const Session& session);
int Repair(const Session& session);
int Cycle(const Session& session);
int Where(const Session& session);
// In files of their own: watch_command.cpp, history_command.cpp.
int Watch(const Session& session);
int History(const Session& session);

// Runs the command of `invocation` (a parsed command line with a command,
// not a help request). Results go to `out`; messages about what went wrong,
// and notes such as a recovered file, go to `err` as one line each. Returns
// the exit status (command_table.hpp).
int RunCommand(const Invocation& invocation, const std::shared_ptr<ConsoleHost>& host,
               std::ostream& out, std::ostream& err);

}  // namespace tamrel::tool
