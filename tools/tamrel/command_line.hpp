// Parsing the tamrel command line into an Invocation.
//
// Options may stand anywhere after the program name, before or after the
// command and its arguments ("--name VALUE" or "--name=VALUE"). "--" ends the
// options. A word that starts with "-" followed by a digit is an argument
// (a negative value such as a window position), not an option.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_table.hpp"

namespace tamrel::tool {

struct Invocation {
  // The command; nullptr with `help` for "tamrel --help" and "tamrel help".
  const CommandSpec* command = nullptr;
  std::vector<std::string> arguments;
  // The command's options by name ("--json" -> "", "--max" -> "2").
  std::map<std::string, std::string, std::less<>> options;
  bool help = false;
  bool verbose = false;
  std::string log_file;  // "" for none

  bool Has(std::string_view option) const { return options.find(option) != options.end(); }
  // The value of an option, or `fallback` when it was not given.
  std::string Text(std::string_view option, std::string fallback = "") const;
  // The value of a numeric option (already checked by the parser), or `fallback`.
  int32_t Number(std::string_view option, int32_t fallback) const;
};

struct ParseResult {
  std::optional<Invocation> invocation;  // set on success
  std::string error;                     // one line, set on failure
  const CommandSpec* command = nullptr;  // the command named, for the usage text
};

// Parses the arguments after the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

}  // namespace tamrel::tool
