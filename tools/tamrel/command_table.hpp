// The commands of the tamrel tool: their arguments, options and help texts.
//
// One table drives both the command-line parser and the help, so what the
// help promises is what the parser accepts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamrel::tool {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // no such value, no such file, nothing matched
inline constexpr int kExitUsage = 2;     // a bad command line
inline constexpr int kExitFailed = 3;    // the library reported a failure, or a file is lost
// The file was saved, but its backup copy was not written: the next recovery
// of a damaged file would find an older copy, or none.
inline constexpr int kExitBackupNotWritten = 4;

// What an option's value must be.
enum class OptionValue {
  kNone,        // a flag
  kText,        // any text
  kInt16,       // a signed 16-bit number
  kInt32,       // a signed 32-bit number
  kPositive16,  // a 16-bit number of at least 1
};

struct OptionSpec {
  std::string_view name;  // "--json"
  OptionValue value;
  std::string_view value_name;  // "N", "LINKID"; "" for a flag
  std::string_view help;
};

// What a command runs with (commands.hpp).
struct Session;
// A command's function: its work, given a parsed command line. Returns the
// exit status; failures are thrown as CommandFailure or tamrel::Error.
using CommandFunction = int (*)(const Session&);

// How a command uses its FILE.
enum class FileUse {
  kOther,   // not through Load
  kReads,   // loads it and changes nothing on disk
  kWrites,  // loads it as a host does (recovering it), under its lock, and saves it
};

struct CommandSpec {
  std::string_view name;
  CommandFunction run;        // never null: a command is its function and its texts
  std::string_view synopsis;  // the arguments after the name: "FILE TAG [ID [VALUE]]"
  int min_arguments;
  int max_arguments;
  FileUse file_use;
  std::string_view summary;      // one line
  std::string_view description;  // paragraphs, already wrapped
  std::vector<OptionSpec> options;
  // Options of which at most one may be given.
  std::vector<std::string_view> exclusive;
};

// Every command, in the order the help lists them.
const std::vector<CommandSpec>& Commands();
// The command named `name`, or nullptr.
const CommandSpec* FindCommand(std::string_view name);
// The option of `command` named `name`, or nullptr.
const OptionSpec* FindOption(const CommandSpec& command, std::string_view name);

// The text of `tamrel --help`.
std::string GeneralHelp();
// The text of `tamrel COMMAND --help`.
std::string CommandHelp(const CommandSpec& command);
// The short usage printed with a command-line error: the synopsis of
// `command`, or of every command when it is nullptr.
std::string ShortUsage(const CommandSpec* command);

}  // namespace tamrel::tool
