// The commands of the tamrel tool, over the public library.
#pragma once

#include <memory>
#include <ostream>

#include "command_line.hpp"
#include "console_host.hpp"

namespace tamrel::tool {

// Runs the command of `invocation` (a parsed command line with a command,
// not a help request). Results go to `out`; messages about what went wrong,
// and notes such as a recovered file, go to `err` as one line each. Returns
// the exit status (command_table.hpp).
int RunCommand(const Invocation& invocation, const std::shared_ptr<ConsoleHost>& host,
               std::ostream& out, std::ostream& err);

}  // namespace tamrel::tool
