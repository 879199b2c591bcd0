#include "command_table.hpp"

#include <algorithm>

#include "commands.hpp"

namespace tamrel::tool {
namespace {

constexpr std::string_view kReadNote =
    "The file is only read: nothing on disk changes. A damaged file is reported;\n"
    "when its backup copy loads, the backup's values are used, with a warning on\n"
    "standard error, and 'tamrel repair FILE' puts the backup copy back.\n";

constexpr std::string_view kWriteNote =
    "The file is read the way a host application reads it: a damaged file is\n"
    "renamed to FILE_corrupt(n) and restored from its backup copy, and the tool\n"
    "says so on standard error. From that read to the save the command holds\n"
    "the file's lock (FILE.lock), so that programs saving the file at the same\n"
    "time never lose each other's values; when another program holds it for\n"
    "more than 10 seconds the command ends with status 3.\n";

std::vector<CommandSpec> BuildCommands() {
  return {
      {"list",
       List,
       "FILE",
       1,
       1,
       FileUse::kReads,
       "Print every value of a context file, in store order.",
       "Prints one line per value: tag, id, instance and value, newest first as the\n"
       "file keeps them. With --json prints a JSON array of objects with the keys\n"
       "\"tag\", \"id\", \"instance\" (a number) and \"value\".\n",
       {{"--json", OptionValue::kNone, "", "print a JSON array instead of columns"}},
       {}},
      {"get",
       Get,
       "FILE TAG ID",
       3,
       3,
       FileUse::kReads,
       "Print the value of TAG and ID.",
       "Prints the first value of TAG and ID in store order (the newest, as set\n"
       "leaves them), every value with --all (one per line, in store order) or the\n"
       "value of one instance with --instance.\n"
       "Exits with status 1 when there is no such value.\n",
       {{"--all", OptionValue::kNone, "", "print every value of TAG and ID"},
        {"--instance", OptionValue::kInt32, "N", "print the value of instance N"}},
       {"--all", "--instance"}},
      {"set",
       Set,
       "FILE TAG ID VALUE",
       4,
       4,
       FileUse::kWrites,
       "Store VALUE as the newest value of TAG and ID.",
       "Adds VALUE as instance 1 of TAG and ID, keeps at most --max values (4 unless\n"
       "given; older ones drop off the end) and saves the file and its backup copy.\n"
       "Boolean words (true, FALSE, ...) are stored as True or False. A missing file\n"
       "is created, together with any missing folders above it. A file last written\n"
       "on an earlier day is first kept as FILE's next numbered generation.\n"
       "--link names the tags whose values belong to this list, each after an\n"
       "apostrophe: with --link \"'FileView'FileZoom\", when a value X drops off the\n"
       "list, every FileView and FileZoom value whose id is X is removed with it.\n"
       "A TAG, ID or VALUE that the file would not give back as given (a space or\n"
       "\">\" in TAG, a double quote in ID, a line break) is refused with status 2.\n",
       {{"--max", OptionValue::kInt16, "N", "keep at most N values of TAG and ID"},
        {"--link", OptionValue::kText, "LINKID", "tags linked to the dropped values"}},
       {}},
      {"remove",
       Remove,
       "FILE TAG [ID [VALUE]]",
       2,
       4,
       FileUse::kWrites,
       "Remove values and save the file.",
       "Removes every value of TAG; with ID only those of TAG and ID; with VALUE only\n"
       "the instances of TAG and ID that hold exactly VALUE (the others keep their\n"
       "instance numbers). Prints how many values were removed and saves the file.\n"
       "Exits with status 1, saving nothing, when nothing matched.\n",
       {},
       {}},
      {"verify",
       Verify,
       "FILE TAG ID DEFAULT",
       4,
       4,
       FileUse::kWrites,
       "Check a value against the kind of DEFAULT.",
       "The kind of DEFAULT decides what the value must look like: a boolean word\n"
       "(True, False) asks for a boolean, a number for a number, anything else for a\n"
       "non-empty text. A missing value is set to DEFAULT; a value of the wrong kind\n"
       "is replaced; a boolean written as another word (true, TRUE) is rewritten as\n"
       "True or False. Prints one line for each repair and saves the file when\n"
       "anything changed; prints nothing when the value was fine. A missing file is\n"
       "created. TAG, ID and DEFAULT are refused as by set.\n",
       {},
       {}},
      {"log",
       Log,
       "FILE [LABEL]",
       1,
       2,
       FileUse::kReads,
       "Print the context log line of a file.",
       "Prints the line a host's log receives when it logs this context: \"Context\n"
       "log: \", LABEL (the file name unless given), and the whole context text with\n"
       "every line break shown as \"~\". The label CALIBRATION keeps only the first\n"
       "200 characters of the text.\n",
       {},
       {}},
      {"repair",
       Repair,
       "FILE",
       1,
       1,
       FileUse::kWrites,
       "Restore a damaged file from its backup copy.",
       "Reads FILE as a host application does: when it is damaged it is renamed to\n"
       "FILE_corrupt(n) and its backup copy is put in its place. Says what it found\n"
       "and did. Exits with status 3 when FILE is damaged and no backup copy loads\n"
       "(the damaged file is then kept as FILE_corrupt(n) and nothing takes its\n"
       "place), with status 1 when FILE does not exist.\n",
       {},
       {}},
      {"cycle",
       Cycle,
       "FILE",
       1,
       1,
       FileUse::kOther,
       "Turn FILE into its next numbered generation.",
       "Renames FILE to base(n).ext, one above the highest generation beside it, and\n"
       "deletes the oldest generations so that --keep of them remain, the new one\n"
       "included (4 unless given). Prints the new name and the deleted files.\n"
       "Exits with status 1 when FILE does not exist.\n",
       {{"--keep", OptionValue::kPositive16, "N", "generations to keep (at least 1)"}},
       {}},
      {"watch",
       Watch,
       "FILE [TAG [ID]]",
       1,
       3,
       FileUse::kOther,
       "Print the changes of a context file as other programs save it.",
       "Watches FILE and, each time a save of it is complete, prints one line per\n"
       "value added (+), changed (~, with the new value) or removed (-, with the old\n"
       "value), as list prints values after that first column; with TAG, or TAG and\n"
       "ID, only theirs. A burst of saves gives the net change about 0.1 s after the\n"
       "last. With --json prints one JSON object per line with the keys of list\n"
       "--json and \"change\" (\"added\", \"changed\" or \"removed\"). A file that is\n"
       "deleted, damaged or cannot be read is reported on standard error; the watch\n"
       "goes on, and FILE need not exist yet. Runs until interrupted (Ctrl+C, SIGINT\n"
       "or SIGTERM), then exits with status 0. Reads FILE only: nothing on disk\n"
       "changes.\n",
       {{"--json", OptionValue::kNone, "", "print JSON objects instead of columns"}},
       {}},
      {"history",
       History,
       "FILE TAG ID",
       3,
       3,
       FileUse::kOther,
       "Print the values of TAG and ID in every copy of a file that is kept.",
       "Looks for TAG and ID in FILE, its backup copy, the numbered generations of\n"
       "both and the damaged copies set aside beside both (FILE_corrupt(n)), and\n"
       "prints each copy newest first: its date, its path and what it is, then its\n"
       "instances of TAG and ID (instance and value), \"no value\", or why it could\n"
       "not be read. With --json prints one JSON object per copy and line with the\n"
       "keys \"path\", \"copy\", \"date\", \"instances\" (objects with \"instance\" and\n"
       "\"value\") and, for a copy that could not be read, \"error\". Reads only:\n"
       "nothing on disk changes, not even for a damaged copy.\n"
       "Exits with status 1 when no copy holds a value of TAG and ID.\n",
       {{"--json", OptionValue::kNone, "", "print JSON objects instead of text"}},
       {}},
      {"where",
       Where,
       "[APPNAME]",
       0,
       1,
       FileUse::kOther,
       "Print where an application's files, or one file's copies, go.",
       "Prints the application folder of APPNAME, its user-preference file and the\n"
       "folder that holds the backup copies of context files. The application folder\n"
       "is created when it does not exist yet, as a host does at its first start.\n"
       "A \"/\" in APPNAME becomes \"-\"; an empty APPNAME, \".\" and \"..\" are refused.\n"
       "With --file FILE instead of APPNAME, prints where the copies of FILE are:\n"
       "its backup copy, its lock file, the names of its generations and of those\n"
       "of its backup copy, and the names a damaged copy is set aside under. A\n"
       "symbolic link is followed to the file it leads to, which is the one saved;\n"
       "a bare name is a file in the current folder. Nothing need exist.\n",
       {{"--file", OptionValue::kText, "FILE", "the copies of FILE instead"}},
       {}},
  };
}

void AppendOptionLines(std::string& text, const std::vector<OptionSpec>& options) {
  for (const OptionSpec& option : options) {
    std::string left = "  " + std::string(option.name);
    if (!option.value_name.empty()) left += " " + std::string(option.value_name);
    left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
    text += left + std::string(option.help) + "\n";
  }
}

std::string SynopsisLine(const CommandSpec& command) {
  std::string line = "tamrel " + std::string(command.name) + " " + std::string(command.synopsis);
  for (const OptionSpec& option : command.options) {
    line += " [" + std::string(option.name);
    if (!option.value_name.empty()) line += " " + std::string(option.value_name);
    line += "]";
  }
  return line;
}

constexpr std::string_view kGlobalOptions =
    "Options for every command:\n"
    "  -v, --verbose       write the library's log lines and error reports to\n"
    "                      standard error\n"
    "  --log FILE          append them to FILE instead\n"
    "  -h, --help          explain the command (tamrel COMMAND --help)\n"
    "  --                  the arguments that follow are not options; a value\n"
    "                      that starts with \"-\" and a digit needs no \"--\"\n";

constexpr std::string_view kExitStatuses =
    "Exit status: 0 done; 1 no such value, no such file or nothing matched;\n"
    "2 bad command line; 3 the operation failed (the message names what went\n"
    "wrong), a damaged file could not be read or restored, or another program\n"
    "held the file; 4 the file was saved but its backup copy was not written\n"
    "(the message names the copy and why).\n";

}  // namespace

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = BuildCommands();
  return commands;
}

const CommandSpec* FindCommand(std::string_view name) {
  for (const CommandSpec& command : Commands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

const OptionSpec* FindOption(const CommandSpec& command, std::string_view name) {
  for (const OptionSpec& option : command.options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::string GeneralHelp() {
  std::string text =
      "Usage: tamrel COMMAND [ARGUMENTS] [OPTIONS]\n"
      "\n"
      "Inspect and edit Tamrel context files: the files in which applications keep\n"
      "their settings as values filed by tag, id and instance.\n"
      "\n"
      "Commands:\n";
  for (const CommandSpec& command : Commands()) {
    std::string left = "  " + std::string(command.name);
    left.resize(10, ' ');
    text += left + std::string(command.summary) + "\n";
  }
  text += "\n";
  text += kGlobalOptions;
  text +=
      "\n"
      "Every save also writes a backup copy of the file to $XDG_STATE_HOME/Tamrel\n"
      "(~/.local/state/Tamrel when XDG_STATE_HOME is unset); 'tamrel where --file\n"
      "FILE' names it. A damaged file is restored from there by the commands that\n"
      "write and by repair; list, get and log never change a file.\n"
      "\n";
  text += kExitStatuses;
  text += "\nRun 'tamrel COMMAND --help' for the arguments of one command.\n";
  return text;
}

std::string CommandHelp(const CommandSpec& command) {
  std::string text = "Usage: " + SynopsisLine(command) + "\n\n";
  text += std::string(command.summary) + "\n\n" + std::string(command.description);
  if (command.file_use == FileUse::kReads) text += "\n" + std::string(kReadNote);
  if (command.file_use == FileUse::kWrites) text += "\n" + std::string(kWriteNote);
  if (!command.options.empty()) {
    text += "\nOptions:\n";
    AppendOptionLines(text, command.options);
  }
  text += "\n";
  text += kGlobalOptions;
  text += "\n";
  text += kExitStatuses;
  return text;
}

std::string ShortUsage(const CommandSpec* command) {
  if (command != nullptr) {
    return "Usage: " + SynopsisLine(*command) + "\nRun 'tamrel " + std::string(command->name) +
           " --help' for more.\n";
  }
  std::string text = "Usage:\n";
  for (const CommandSpec& each : Commands()) text += "  " + SynopsisLine(each) + "\n";
  text += "Run 'tamrel --help' for more.\n";
  return text;
}

}  // namespace tamrel::tool
