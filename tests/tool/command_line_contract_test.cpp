// The tamrel program's contract with its user, as one table: for a command
// line over given files, the exit status, standard output and error, and the
// user's files afterwards (a reading command changes none). Each row runs the
// built program with its own folders, except rows with a fault no real disk
// gives on demand (a full disk, a lock not released in time): those run the
// commands in this process over a fault-injecting disk.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.hpp"
#include "commands.hpp"
#include "console_host.hpp"
#include "support/run_program.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using Files = std::map<std::string, std::string>;
using Changes = std::map<std::string, std::optional<std::string>>;  // nullopt: gone

const std::string kClean = "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>";
const std::string kBackup = "<context><Setup id=\"Port\" instance=\"1\">COM2</Setup>\r\n</context>";
const std::string kDamaged = "<context><Setup id=\"Port\" instance=\"1\">COM9</Se";
const std::string kThree =
    "<context><Recent id=\"File\" instance=\"1\">R&amp;D/Tom&apos;s &quot;final&quot; "
    "&lt;draft&gt;.odt</Recent>\r\n<Options id=\"Grid\" instance=\"1\">True</Options>\r\n"
    "<Window id=\"Left\" instance=\"1\">-20</Window>\r\n</context>";
const std::string kRecent =
    "<context><Recent id=\"File\" instance=\"1\">c</Recent>\r\n<Recent id=\"File\" "
    "instance=\"2\">b</Recent>\r\n<Recent id=\"File\" instance=\"3\">a</Recent>\r\n</context>";

// `text` holds `part`; an empty `part`: is empty.
void ExpectPart(const std::string& text, const std::string& part) {
  if (part.empty()) {
    EXPECT_EQ(text, "");
  } else {
    EXPECT_NE(text.find(part), std::string::npos) << text;
  }
}

// `actual` as an expected text sees it: one ending in "..." is a start, so
// `actual` that begins with that start reads as `expected` itself.
std::string UpToDots(const std::string& actual, const std::string& expected) {
  if (!expected.ends_with("...")) return actual;
  const std::string_view start(expected.data(), expected.size() - 3);
  return actual.starts_with(start) ? expected : actual;
}

struct Outcome {
  int status;
  std::string out, err;
};

// What a row does to the program beyond its files.
enum class Trouble { kNone, kReadOnlyFile, kUnwritableOutput, kDiskFull, kLockHeld };

// In a row's words and texts, {dir} is the test folder with a separator ("/"
// in the path after it too), {backup} the backup copy of {dir}Prefs.tmc and
// {appdata} the folder of application data the program sees; {backup} names
// that copy in the files.
struct Row {
  const char* what;
  Files before;
  Words args;
  int status;
  std::string out;       // exactly; ending in "...": its start
  std::string err;       // a part of standard error; "": nothing at all
  Changes changes = {};  // the user's files made, changed or gone; "x/": a folder
  Trouble trouble = Trouble::kNone;
};

class CommandLineContract : public ::testing::Test {
 protected:
  std::string Expand(std::string text) const {
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"{dir}", Dir()},
                                       {"{backup}", BackupOf(dir_.Path("Prefs.tmc"))},
                                       {"{appdata}", folders_.application_data}}) {
      for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at)) {
        text.replace(at, token.size(), value);
        // The rest of a path below the folder takes the platform's separator.
        for (at += value.size(); at < text.size() && text[at] != ' ' && text[at] != '\n'; ++at) {
          if (text[at] == '/') text[at] = kPathSeparator;
        }
      }
    }
    return text;
  }
  std::string Dir() const { return Utf8Text(dir_.path()) + kPathSeparator; }
  static std::string Separated(const std::string& name) {
    return std::string(1, kPathSeparator) + name + kPathSeparator;
  }
  std::string Name(const std::string& key) const {
    if (key != "{backup}") return key;
    return Utf8Text(fs::relative(Utf8Path(BackupOf(dir_.Path("Prefs.tmc"))), dir_.path()));
  }
  // The backup copy of `file` where the program keeps it.
  std::string BackupOf(const std::string& file) const {
    platform::Hooks hooks;
    hooks.windows_folder = [this] { return folders_.backup; };
    platform::Scope scope(hooks);
    return BackupCopyPath(file);
  }
  // The user's files and folders: all but the program's own folders.
  Files UserFiles() const {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      std::string name = Utf8Text(fs::relative(entry.path(), dir_.path()).generic_u8string());
      if (name.starts_with("state") || name.starts_with("config") || name.starts_with("home")) {
        continue;
      }
      files[entry.is_directory() ? name + "/" : name] =
          entry.is_directory() ? "" : TempDir::ReadFile(Utf8Text(entry.path()));
    }
    return files;
  }
  void Prepare(const Row& row) {
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      fs::permissions(entry.path(), fs::perms::owner_all,
                      fs::perm_options::add);  // a read-only row's
    }
    fs::remove_all(dir_.path());
    fs::create_directories(Utf8Path(folders_.backup));
    for (const auto& [name, bytes] : row.before) dir_.WriteFile(Name(name), bytes);
    if (row.trouble == Trouble::kReadOnlyFile)
      fs::permissions(dir_.path() / "Prefs.tmc", fs::perms::owner_read);
  }
  Outcome Run(const Row& row) {
    Words args;
    for (const std::string& arg : row.args) args.push_back(Expand(arg));
    if (row.trouble == Trouble::kDiskFull)
      return RunInProcess(args, FileOp::kAppend, errc::kDiskFull);
    if (row.trouble == Trouble::kLockHeld) {
      return RunInProcess(args, FileOp::kLock, errc::kPermissionDenied);
    }
    const bool unwritable = row.trouble == Trouble::kUnwritableOutput;
    const std::string out = unwritable ? kUnwritableOutput : io_.Path("out");
    const int status =
        RunProgram(TAMREL_TOOL_PATH, args, folders_.environment, out, io_.Path("err"));
    return {status, unwritable ? "" : TempDir::ReadFile(out), TempDir::ReadFile(io_.Path("err"))};
  }
  // Runs the command in this process, its first `op` failing with `number`.
  Outcome RunInProcess(const Words& args, FileOp op, int32_t number) {
    auto disk = std::make_shared<FaultInjectingBackend>();
    disk->FailTimes(op, 1, number);
    platform::Hooks hooks = FaultInjectingBackend::Hooks(disk);
    hooks.windows_folder = [this] { return folders_.backup; };
    platform::Scope scope(hooks);
    const tool::ParseResult parsed = tool::ParseCommandLine(args);
    std::ostringstream messages, out, err;
    auto host = std::make_shared<tool::ConsoleHost>(nullptr, messages);
    return {tool::RunCommand(*parsed.invocation, host, out, err), out.str(), err.str()};
  }

  TempDir dir_;
  TempDir io_;  // the captured output, apart from the files the program sees
  const ProgramFolders folders_ =
      IsolatedFolders(dir_.Path("state"), dir_.Path("config"), dir_.Path("home"));
};

TEST_F(CommandLineContract, EachCommandLineGivesItsStatusOutputAndFiles) {
  const std::string file = "{dir}Prefs.tmc", utf8 = "{dir}Ärger/日本/設定.tmc";
  const std::string utf8_text =
      "<context><Fenster id=\"Größe\" instance=\"1\">groß &amp; 日本語</Fenster>\r\n</context>";
  const std::string unstorable = " cannot be kept in a context file: it would not read back";
  const std::string app = "{appdata}" + Separated("Survey-Plotter-2");
  // clang-format off
  const Row rows[] = {
      // Refusals of the command line: status 2, the usage of the command
      // named before the fault; help on standard output.
      {"no command", {}, {}, 2, "", "tamrel: missing command\nUsage:\n  tamrel list FILE"},
      {"unknown command", {}, {"frobnicate", "x"}, 2, "", "unknown command 'frobnicate'"},
      {"too few", {}, {"list"}, 2, "", "tamrel: list: too few arguments\nUsage: tamrel list FILE"},
      {"foreign option", {}, {"get", "f", "T", "I", "--json"}, 2, "",
       "tamrel: get has no option --json\nUsage: tamrel get FILE"},
      {"option before the command", {}, {"--bogus", "get", "f", "T", "I"}, 2, "",
       "tamrel: unknown option --bogus\nUsage:\n  tamrel list FILE"},
      {"help, bad option", {}, {"help", "set", "--bogus"}, 2, "", "\nUsage: tamrel set FILE"},
      {"number out of range", {}, {"set", "f", "T", "I", "v", "--max", "32768"}, 2, "",
       "option --max needs a whole number from -32768 to 32767"},
      {"--keep 0", {}, {"cycle", "f", "--keep", "0"}, 2, "",
       "tamrel: option --keep needs a whole number from 1 to 32767\nUsage: tamrel cycle FILE [--keep N]"},
      {"excluding options", {}, {"get", "f", "T", "I", "--all", "--instance", "2"}, 2, "",
       "options --all and --instance exclude each other"},
      {"a value missing", {}, {"get", "f", "T", "I", "--instance"}, 2, "",
       "tamrel: option --instance needs a value\nUsage: tamrel get FILE"},
      {"a value too many", {}, {"get", "f", "T", "I", "--all=yes"}, 2, "", "option --all takes no value"},
      {"no log file name", {}, {"list", "f", "--log="}, 2, "", "option --log needs a file name"},
      {"a log file that cannot be opened", {}, {"list", "f", "--log", "{dir}no/such.log"}, 3, "",
       "tamrel: cannot open the log file {dir}no/such.log"},
      {"help", {}, {"cycle", "--help"}, 0,
       "Usage: tamrel cycle FILE [--keep N]\n\nTurn FILE into its next numbered generation.\n\nRenames FILE "
       "to base(n).ext, one above the highest generation beside it, and\ndeletes the oldest generations so "
       "that --keep of them remain, the new one\nincluded (4 unless given). Prints the new name and the "
       "deleted files.\nExits with status 1 when FILE does not exist.\n\nOptions:\n  --keep N            "
       "generations to keep (at least 1)\n\nOptions for every command:\n...", ""},
      {"empty FILE", {}, {"list", ""}, 2, "", "tamrel: FILE is empty: name a context file"},
      {"APPNAME empty", {}, {"where", ""}, 2, "", "tamrel: APPNAME \"\" names no folder"},
      {"APPNAME .", {}, {"where", "."}, 2, "", "tamrel: APPNAME \".\" names no folder"},
      {"APPNAME ..", {}, {"where", ".."}, 2, "", "tamrel: APPNAME \"..\" names no folder"},
      {"where nothing", {}, {"where"}, 2, "", "tamrel: where: give either APPNAME or --file FILE"},
      {"where both", {}, {"where", "App", "--file", "f"}, 2, "", "give either APPNAME or --file"},
      // Output lost on a full disk: the command has not done its job.
      {"lost listing", {{"Prefs.tmc", kClean}}, {"list", file, "--json"}, 3, "",
       "tamrel: cannot write to standard output", {}, Trouble::kUnwritableOutput},
      {"lost value", {{"Prefs.tmc", kClean}}, {"get", file, "Setup", "Port"}, 3, "",
       "cannot write to standard output", {}, Trouble::kUnwritableOutput},
      {"lost help", {}, {"--help"}, 3, "", "cannot write to standard output", {}, Trouble::kUnwritableOutput},
      // Names and values beyond ASCII, as arguments and in the file.
      {"set beyond ASCII", {}, {"set", utf8, "Fenster", "Größe", "groß & 日本語"}, 0, "", "",
       {{"Ärger/", ""}, {"Ärger/日本/", ""}, {"Ärger/日本/設定.tmc", utf8_text}}},
      {"get beyond ASCII", {{"Ärger/日本/設定.tmc", utf8_text}}, {"get", utf8, "Fenster", "Größe"}, 0,
       "groß & 日本語\n", ""},
      // Listings: columns in store order, JSON (control characters escaped,
      // bytes that are not UTF-8 read as Latin-1), the context log line.
      {"list", {{"Prefs.tmc", kThree}}, {"list", file}, 0,
       "Recent   File  1  R&D/Tom's \"final\" <draft>.odt\nOptions  Grid  1  True\nWindow   Left  1  -20\n", ""},
      {"list --json", {{"Prefs.tmc", kThree}}, {"list", file, "--json"}, 0,
       "[\n  {\"tag\": \"Recent\", \"id\": \"File\", \"instance\": 1, "
       "\"value\": \"R&D/Tom's \\\"final\\\" <draft>.odt\"},\n"
       "  {\"tag\": \"Options\", \"id\": \"Grid\", \"instance\": 1, \"value\": \"True\"},\n"
       "  {\"tag\": \"Window\", \"id\": \"Left\", \"instance\": 1, \"value\": \"-20\"}\n]\n", ""},
      {"list --json, odd bytes",
       {{"Prefs.tmc", "<context><A id=\"B\" instance=\"1\">caf\xc3\xa9 M\xfcller\t\x01\r a\\b "
                      // three and four bytes; too short a form, a surrogate, above U+10FFFF
                      "\xe2\x82\xac\xf0\x9f\x98\x80 \xe0\x80\x80\xed\xa0\x80\xf4\x90\x80\x80</A>\r\n</context>"}},
       {"list", file, "--json"}, 0,
       "[\n  {\"tag\": \"A\", \"id\": \"B\", \"instance\": 1, "
       "\"value\": \"caf\xc3\xa9 M\xc3\xbcller\\t\\u0001\\r a\\\\b \xe2\x82\xac\xf0\x9f\x98\x80 "
       "\xc3\xa0\xc2\x80\xc2\x80\xc3\xad\xc2\xa0\xc2\x80\xc3\xb4\xc2\x90\xc2\x80\xc2\x80\"}\n]\n", ""},
      {"log", {{"Prefs.tmc", kThree}}, {"log", file}, 0,
       "Context log: Prefs.tmc <context><Recent id=\"File\" instance=\"1\">R&amp;D/Tom&apos;s &quot;final&quot; "
       "&lt;draft&gt;.odt</Recent>~<Options id=\"Grid\" instance=\"1\">True</Options>~<Window id=\"Left\" "
       "instance=\"1\">-20</Window>~</context>\n", ""},
      {"get", {{"Prefs.tmc", kRecent}}, {"get", file, "Recent", "File"}, 0, "c\n", ""},
      {"get --all", {{"Prefs.tmc", kRecent}}, {"get", file, "Recent", "File", "--all"}, 0, "c\nb\na\n", ""},
      {"get --instance", {{"Prefs.tmc", kRecent}}, {"get", file, "Recent", "File", "--instance=2"}, 0, "b\n", ""},
      {"get, no instance", {{"Prefs.tmc", kRecent}}, {"get", file, "Recent", "File", "--instance", "4"}, 1, "",
       "no instance 4 of Recent File"},
      {"get, no file", {}, {"get", file, "Recent", "File"}, 1, "", "no such context file"},
      // A reading command reads through a view of the disk: whatever a load
      // recovers, every byte and every name stay as they were.
      {"list, clean", {{"Prefs.tmc", kClean}, {"{backup}", kBackup}}, {"list", file}, 0, "Setup  Port  1  COM1\n", ""},
      {"get, damaged, backup loads", {{"Prefs.tmc", kDamaged}, {"{backup}", kBackup}}, {"get", file, "Setup", "Port"},
       0, "COM2\n", "is damaged; these are the values of its backup copy {backup}"},
      {"log, damaged, no backup", {{"Prefs.tmc", kDamaged}}, {"log", file}, 3, "", "is damaged and its backup copy"},
      {"list, both damaged", {{"Prefs.tmc", kDamaged}, {"{backup}", kDamaged}}, {"list", file}, 3, "",
       "is missing or damaged too; nothing was changed"},
      {"get, missing", {{"{backup}", kBackup}}, {"get", file, "Setup", "Port"}, 1, "", "no such context file"},
      // A missing folder is no file, and is not made.
      {"get, no folder", {}, {"get", "{dir}no/such/Prefs.tmc", "Setup", "Port"}, 1, "", "no such context file"},
      {"repair, no folder", {}, {"repair", "{dir}no/such/Prefs.tmc"}, 1, "", "no such context file"},
      // Writing commands.
      {"set, a value like an option", {}, {"set", file, "Window", "Left", "-20"}, 0, "", "",
       {{"Prefs.tmc", "<context><Window id=\"Left\" instance=\"1\">-20</Window>\r\n</context>"}}},
      {"set, a value after --", {}, {"set", file, "--", "Window", "Left", "--wide"}, 0, "", "",
       {{"Prefs.tmc", "<context><Window id=\"Left\" instance=\"1\">--wide</Window>\r\n</context>"}}},
      {"set --max, --link anywhere",
       {{"Prefs.tmc", "<context><Recent id=\"File\" instance=\"1\">c</Recent>\r\n"
                      "<Recent id=\"File\" instance=\"2\">b</Recent>\r\n"
                      "<FileView id=\"b\" instance=\"1\">zoom</FileView>\r\n</context>"}},
       {"set", "--link", "'FileView", file, "Recent", "File", "d", "--max=2"}, 0, "", "",
       {{"Prefs.tmc", "<context><Recent id=\"File\" instance=\"1\">d</Recent>\r\n"
                      "<Recent id=\"File\" instance=\"2\">c</Recent>\r\n</context>"}}},
      {"set over a damaged file", {{"Prefs.tmc", kDamaged}, {"{backup}", kBackup}},
       {"set", file, "Setup", "Baud", "9600"}, 0, "", "restored from its backup copy {backup}",
       {{"Prefs.tmc_corrupt(1)", kDamaged},
        {"Prefs.tmc", "<context><Setup id=\"Baud\" instance=\"1\">9600</Setup>\r\n"
                      "<Setup id=\"Port\" instance=\"1\">COM2</Setup>\r\n</context>"}}},
      {"-v: the library's lines", {{"Prefs.tmc", kDamaged}}, {"-v", "set", file, "Setup", "Port", "COM2"}, 3, "",
       "Context log: {dir}Prefs.tmc <context><Setup id=\"Port\" instance=\"1\">COM9</Se\nerror in "
       "Tamrel/ContextCls/DecodeXML [Initialize]: Invalid procedure call or argument (error 5)\n",
       {{"Prefs.tmc", std::nullopt}, {"Prefs.tmc_corrupt(1)", kDamaged}}},
      {"--log: the library's lines in a file", {{"Prefs.tmc", kDamaged}, {"{backup}", kBackup}},
       {"set", file, "Setup", "Port", "COM1", "--log", "{dir}tamrel.log"}, 0, "", "has been restored",
       {{"Prefs.tmc_corrupt(1)", kDamaged},
        {"Prefs.tmc", "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n"
                      "<Setup id=\"Port\" instance=\"2\">COM2</Setup>\r\n</context>"},
        {"tamrel.log", "Context log: {dir}Prefs.tmc <context><Setup id=\"Port\" instance=\"1\">COM9</Se..."}}},
      {"set over a damaged file, no backup", {{"Prefs.tmc", kDamaged}}, {"set", file, "Setup", "Port", "COM2"}, 3, "",
       "the damaged file is kept as {dir}Prefs.tmc_corrupt(1)",
       {{"Prefs.tmc", std::nullopt}, {"Prefs.tmc_corrupt(1)", kDamaged}}},
      {"set on a folder", {{"Sub/Prefs.tmc", kClean}}, {"set", "{dir}Sub", "Setup", "Port", "COM2"}, 3, "",
       "{dir}Sub is a folder"},
      {"set on a read-only file", {{"Prefs.tmc", kClean}, {"{backup}", kClean}}, {"set", file, "Setup", "Port", "COM2"},
       3, "", "cannot save {dir}Prefs.tmc: ", {}, Trouble::kReadOnlyFile},
      {"set on a full disk", {{"Prefs.tmc", kClean}}, {"set", file, "Setup", "Port", "COM2"}, 3, "",
       "(error 61)", {}, Trouble::kDiskFull},
      {"set on a held file", {{"Prefs.tmc", kClean}}, {"set", file, "Setup", "Port", "COM2"}, 3, "",
       "is held by another program", {}, Trouble::kLockHeld},
      {"set, a bad tag", {{"Prefs.tmc", kClean}}, {"set", file, "Window Pos", "x\"y", "1"}, 2, "",
       "the tag 'Window Pos'" + unstorable},
      {"verify, a bad id", {{"Prefs.tmc", kClean}}, {"verify", file, "Window", "a</context>b", "1"}, 2, "",
       "the id 'a</context>b'" + unstorable},
      {"set, a bad value", {{"Prefs.tmc", kClean}}, {"set", file, "Window", "Left", "two\nlines"}, 2, "",
       "the value" + unstorable},
      {"set, refused by the library", {}, {"set", file, "context", "Id", "v"}, 3, "",
       "Attempt to make illegal context param."},
      {"remove", {{"Prefs.tmc", kRecent}}, {"remove", file, "Recent", "File", "b"}, 0, "removed 1 value\n", "",
       {{"Prefs.tmc", "<context><Recent id=\"File\" instance=\"1\">c</Recent>\r\n"
                      "<Recent id=\"File\" instance=\"3\">a</Recent>\r\n</context>"}}},
      {"remove all", {{"Prefs.tmc", kRecent}}, {"remove", file, "Recent"}, 0, "removed 3 values\n", "",
       {{"Prefs.tmc", "<context></context>"}}},
      {"remove nothing", {{"Prefs.tmc", kRecent}}, {"remove", file, "Nothing"}, 1, "",
       "nothing matched in {dir}Prefs.tmc"},
      // verify prints its repairs and saves only a change: a file in
      // another layout stays as it is.
      {"verify, a repair", {}, {"verify", file, "Window", "Maximized", "False"}, 0, "Tamrel/ContextCls/Verify...", "",
       {{"Prefs.tmc", "<context><Window id=\"Maximized\" instance=\"1\">False</Window>\r\n</context>"}}},
      {"verify, nothing to do",
       {{"Prefs.tmc", "<context><Window id=\"Maximized\" instance=\"1\">False</Window></context>"}},
       {"verify", file, "Window", "Maximized", "False"}, 0, "", ""},
      {"repair, whole file", {{"Prefs.tmc", kClean}, {"{backup}", kBackup}}, {"repair", file}, 0,
       "{dir}Prefs.tmc loads whole; nothing to repair\n", ""},
      {"repair", {{"Prefs.tmc", kDamaged}, {"{backup}", kBackup}}, {"repair", file}, 0,
       "restored {dir}Prefs.tmc from its backup copy {backup}; the damaged file is kept as {dir}Prefs.tmc_corrupt(1)\n",
       "Error reading the context file: {dir}Prefs.tmc", {{"Prefs.tmc", kBackup}, {"Prefs.tmc_corrupt(1)", kDamaged}}},
      {"repair, no backup", {{"Prefs.tmc", kDamaged}}, {"repair", file}, 3, "", "no usable backup copy",
       {{"Prefs.tmc", std::nullopt}, {"Prefs.tmc_corrupt(1)", kDamaged}}},
      // Generations beyond ASCII are found by listing the folder.
      {"cycle", {{"Ä/設定.tmc", "0"}, {"Ä/設定(1).tmc", "1"}, {"Ä/設定(2).tmc", "2"}},
       {"cycle", "{dir}Ä/設定.tmc", "--keep", "2"}, 0,
       "renamed {dir}Ä/設定.tmc to {dir}Ä/設定(3).tmc\ndeleted {dir}Ä/設定(1).tmc\n", "",
       {{"Ä/設定.tmc", std::nullopt}, {"Ä/設定(1).tmc", std::nullopt}, {"Ä/設定(3).tmc", "0"}}},
      {"cycle, no file", {}, {"cycle", file}, 1, "", "{dir}Prefs.tmc: no such file"},
      {"where", {}, {"where", "Survey/Plotter/2"}, 0,
       "application folder: " + app + "\nuser preferences:   " + app +
       "UserPreferences.tmc\nbackup copies:      ...", ""},
      {"where --file", {}, {"where", "--file", file}, 0,
       "context file:       {dir}Prefs.tmc\nbackup copy:        {backup}\n"
       "lock file:          {dir}Prefs.tmc.lock (while a save runs)\ngenerations:        {dir}Prefs(N).tmc\n...", ""},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Prepare(row);
    const Files all_before = dir_.Files();
    Files expected = UserFiles();
    for (const auto& [name, bytes] : row.changes) {
      if (bytes)
        expected[name] = Expand(*bytes);
      else
        expected.erase(name);
    }
    const Outcome outcome = Run(row);
    EXPECT_EQ(outcome.status, row.status) << outcome.err;
    const std::string out = Expand(row.out);
    EXPECT_EQ(UpToDots(outcome.out, out), out);
    ExpectPart(outcome.err, Expand(row.err));
    Files after = UserFiles();
    for (const auto& [name, bytes] : expected) after[name] = UpToDots(after[name], bytes);
    EXPECT_EQ(after, expected);
    // A row that changes no file of the user's changes no backup copy either.
    if (row.changes.empty()) {
      EXPECT_EQ(dir_.Files(), all_before);
    }
  }
}

// history reads every kept copy, damaged ones too, newest first, and
// changes nothing.
TEST_F(CommandLineContract, HistoryShowsEveryKeptCopyNewestFirst) {
  const std::string file = dir_.Path("Prefs.tmc"), backup = BackupOf(file);
  // clang-format off
  Prepare({"history", {{"Prefs.tmc", kDamaged}, {"{backup}", kBackup}, {"Prefs(1).tmc", kClean},
                       {"Prefs.tmc_corrupt(1)", kDamaged}, {"Prefs(x).tmc", kClean}},  // no generation's name
           {}, 0, "", ""});
  // clang-format on
  const auto now = fs::file_time_type::clock::now();
  fs::last_write_time(dir_.path() / "Prefs(1).tmc", now - std::chrono::hours(48));
  fs::last_write_time(dir_.path() / "Prefs.tmc_corrupt(1)", now - std::chrono::hours(24));
  fs::last_write_time(Utf8Path(backup), now - std::chrono::hours(1));
  const auto before = dir_.Files();
  const auto history = [&](Words args) { return Run({"history", {}, args, 0, "", ""}); };
  const Outcome text = history({"history", file, "Setup", "Port"});
  EXPECT_EQ(text.status, 0) << text.err;
  std::size_t at = 0;
  for (const std::string& part :
       {file + "  (file)\n    damaged: ", backup + "  (backup copy)\n    1  COM2\n",
        file + "_corrupt(1)  (set aside as damaged, file)\n    damaged: ",
        dir_.Path("Prefs(1).tmc") + "  (generation of the file)\n    1  COM1\n"}) {
    at = text.out.find(part, at);
    ASSERT_NE(at, std::string::npos) << part << " in\n" << text.out;
  }
  EXPECT_EQ(text.out.find("Prefs(x)"), std::string::npos) << text.out;
  const std::string json = history({"history", file, "Setup", "Port", "--json"}).out;
  for (const char* part : {"\"copy\": \"backup copy\", \"date\": ",
                           "\"instances\": [{\"instance\": 1, \"value\": \"COM2\"}]",
                           "\"instances\": [], \"error\": \"damaged: "}) {
    EXPECT_NE(json.find(part), std::string::npos) << json;
  }
  EXPECT_EQ(history({"history", file, "Setup", "Baud"}).status, 1);
  EXPECT_EQ(dir_.Files(), before);
}

}  // namespace
}  // namespace tamrel::testing
