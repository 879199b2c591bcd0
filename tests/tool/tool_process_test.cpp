// The tamrel program as a user meets it: exit statuses, standard output and
// error, and the files it leaves (the reading commands none at all); each run
// has its own configuration folders.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>

#include "support/run_program.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;
using Line = std::initializer_list<std::string>;

struct Outcome {
  int status;  // -1 for a program killed by a signal
  std::string out, err;
};

class ToolProcess : public ::testing::Test {
 protected:
  // Standard output is read back, or refuses every write with `unwritable`.
  Outcome Run(Line args, bool unwritable = false) {
    const std::string out = unwritable ? kUnwritableOutput : io_.Path("out");
    const int status =
        RunProgram(TAMREL_TOOL_PATH, args, folders_.environment, out, io_.Path("err"));
    return {status, unwritable ? "" : Read(out), Read(io_.Path("err"))};
  }
  // Runs a command that must succeed and gives its output.
  std::string Ok(Line args) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  }
  // Runs a command that must fail with `status`, printing nothing and naming
  // the problem as `reason` on standard error.
  void Fails(Line args, int status, const std::string& reason) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, status) << *args.begin();
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("tamrel: ", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find(reason), std::string::npos) << outcome.err;
  }
  std::string File(const std::string& name) const { return dir_.Path(name); }
  // The backup copy of `file` where the program keeps it.
  std::string BackupOf(const std::string& file) const {
    platform::Hooks hooks;
    hooks.windows_folder = [this] { return folders_.backup; };
    platform::Scope scope(hooks);
    return BackupCopyPath(file);
  }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  // Writes the context file and its backup copy; "" writes none.
  void Put(const std::string& main, const std::string& backup) {
    fs::remove_all(dir_.path());
    fs::create_directories(Utf8Path(folders_.backup));
    if (!main.empty()) dir_.WriteFile("Prefs.tmc", main);
    if (!backup.empty()) {
      dir_.WriteFile(Utf8Text(fs::relative(Utf8Path(BackupOf(file_)), dir_.path())), backup);
    }
  }

  TempDir dir_;
  TempDir io_;  // the captured output, apart from the files the program sees
  const ProgramFolders folders_ = IsolatedFolders(File("state"), File("config"), File("home"));
  const std::string file_ = File("Prefs.tmc");
};

TEST_F(ToolProcess, BadCommandLinesPrintUsageAndExitTwoHelpGoesToStandardOutput) {
  Fails({"cycle", "f", "--keep", "0"}, 2,
        "tamrel: option --keep needs a whole number from 1 to 32767\n"
        "Usage: tamrel cycle FILE [--keep N]");
  EXPECT_EQ(Ok({"set", "--help"}).rfind("Usage: tamrel set FILE TAG ID VALUE", 0), 0u);
  Fails({"list", ""}, 2, "tamrel: FILE is empty: name a context file");
  for (const std::string application : {"", ".", ".."}) {
    Fails({"where", application}, 2, "tamrel: APPNAME \"" + application + "\" names no folder");
  }
  Fails({"where"}, 2, "tamrel: where: give either APPNAME or --file FILE");
  Fails({"where", "App", "--file", "f"}, 2, "tamrel: where: give either APPNAME or --file FILE");
}

TEST_F(ToolProcess, OutputLostOnAFullDiskEndsWithStatusThree) {
  Ok({"set", file_, "Window", "Left", "120"});
  for (const Outcome& outcome :
       {Run({"list", file_, "--json"}, true), Run({"get", file_, "Window", "Left"}, true),
        Run({"--help"}, true)}) {
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("cannot write to standard output"), std::string::npos)
        << outcome.err;
  }
}

TEST_F(ToolProcess, NamesAndValuesBeyondAsciiRoundTripAndTheFileEndsLinesWithCrLf) {
  const std::string file = File("Ärger/日本/設定.tmc");
  Ok({"set", file, "Fenster", "Größe", "groß & 日本語"});
  EXPECT_EQ(Read(file),
            "<context><Fenster id=\"Größe\" instance=\"1\">groß &amp; 日本語</Fenster>\r\n"
            "</context>");
  EXPECT_EQ(Read(BackupOf(file)), Read(file));
  EXPECT_EQ(Ok({"get", file, "Fenster", "Größe"}), "groß & 日本語\n");
  EXPECT_NE(Ok({"list", file}).find("Größe  1  groß & 日本語\n"), std::string::npos);

  // A write command loads as a host does: the damaged file is set aside under
  // its own name and the backup copy fills in.
  dir_.WriteFile("Ärger/日本/設定.tmc", "<context><Fenster");
  const Outcome outcome = Run({"set", file, "Fenster", "Höhe", "1"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.err.find("restored from its backup copy " + BackupOf(file)), std::string::npos)
      << outcome.err;
  EXPECT_EQ(Read(file + "_corrupt(1)"), "<context><Fenster");
  EXPECT_EQ(Ok({"get", file, "Fenster", "Größe"}), "groß & 日本語\n");
}

// `text` holds `part`; "" for `part`: is empty.
void ExpectShows(const std::string& text, const std::string& part) {
  if (part.empty()) {
    EXPECT_EQ(text, "");
  } else {
    EXPECT_NE(text.find(part), std::string::npos) << text;
  }
}

const std::string kClean = "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>";
const std::string kBackup = "<context><Setup id=\"Port\" instance=\"1\">COM2</Setup>\r\n</context>";
const std::string kDamaged = "<context><Setup id=\"Port\" instance=\"1\">COM9</Se";

TEST_F(ToolProcess, ReadingCommandsLeaveEveryByteAndEveryNameAsTheyWere) {
  const struct {
    const char* name;
    std::string main, backup;
    int status;
    std::string shown, warning;  // on standard output and error
  } cases[] = {
      {"clean", kClean, kBackup, 0, "COM1", ""},
      {"damaged, backup loads", kDamaged, kBackup, 0, "COM2",
       "is damaged; these are the values of its backup copy " + BackupOf(file_)},
      {"damaged, no backup", kDamaged, "", 3, "", "is damaged and its backup copy"},
      {"both damaged", kDamaged, kDamaged, 3, "", "is missing or damaged too; nothing was changed"},
      {"missing", "", kBackup, 1, "", "no such context file"},
  };
  for (const auto& c : cases) {
    for (const Line args : {Line{"list", file_}, {"get", file_, "Setup", "Port"}, {"log", file_}}) {
      SCOPED_TRACE(std::string(c.name) + ": " + *args.begin());
      Put(c.main, c.backup);
      const auto before = dir_.Files();
      const Outcome outcome = Run(args);
      EXPECT_EQ(dir_.Files(), before);
      EXPECT_EQ(outcome.status, c.status) << outcome.err;
      ExpectShows(outcome.out, c.shown);
      ExpectShows(outcome.err, c.warning);
    }
  }
}

// history reads every kept copy, damaged ones too, and leaves them all.
TEST_F(ToolProcess, HistoryShowsEveryKeptCopyNewestFirstAndChangesNothing) {
  Put(kDamaged, kBackup);
  dir_.WriteFile("Prefs(1).tmc", kClean);
  dir_.WriteFile("Prefs.tmc_corrupt(1)", kDamaged);
  dir_.WriteFile("Prefs(x).tmc", kClean);  // no generation's name
  const auto now = fs::file_time_type::clock::now();
  fs::last_write_time(Utf8Path(File("Prefs(1).tmc")), now - std::chrono::hours(48));
  fs::last_write_time(Utf8Path(File("Prefs.tmc_corrupt(1)")), now - std::chrono::hours(24));
  fs::last_write_time(Utf8Path(BackupOf(file_)), now - std::chrono::hours(1));
  const auto before = dir_.Files();

  const std::string out = Ok({"history", file_, "Setup", "Port"});
  EXPECT_EQ(dir_.Files(), before);
  const std::vector<std::string> order = {
      file_ + "  (file)\n    damaged: ", BackupOf(file_) + "  (backup copy)\n    1  COM2\n",
      file_ + "_corrupt(1)  (set aside as damaged, file)\n    damaged: ",
      File("Prefs(1).tmc") + "  (generation of the file)\n    1  COM1\n"};
  std::size_t at = 0;
  for (const std::string& part : order) {
    const std::size_t found = out.find(part, at);
    EXPECT_NE(found, std::string::npos) << part << " after " << at << " in\n" << out;
    at = found == std::string::npos ? at : found;
  }
  EXPECT_EQ(out.find("Prefs(x)"), std::string::npos) << out;

  const std::string json = Ok({"history", file_, "Setup", "Port", "--json"});
  EXPECT_NE(json.find("\"copy\": \"backup copy\", \"date\": "), std::string::npos) << json;
  EXPECT_NE(json.find("\"instances\": [{\"instance\": 1, \"value\": \"COM2\"}]"),
            std::string::npos);
  EXPECT_NE(json.find("\"instances\": [], \"error\": \"damaged: "), std::string::npos);
  const Outcome none = Run({"history", file_, "Setup", "Baud"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.out.find("no value"), std::string::npos);
  EXPECT_EQ(dir_.Files(), before);
}

TEST_F(ToolProcess, RepairPutsTheBackupCopyInPlaceAndKeepsTheDamagedFile) {
  Put(kClean, kBackup);
  EXPECT_NE(Ok({"repair", file_}).find("loads whole; nothing to repair"), std::string::npos);
  EXPECT_EQ(Read(file_), kClean);

  dir_.WriteFile("Prefs.tmc", kDamaged);
  EXPECT_NE(Ok({"repair", file_}).find("restored"), std::string::npos);
  EXPECT_EQ(Read(file_), kBackup);
  EXPECT_EQ(Read(file_ + "_corrupt(1)"), kDamaged);

  fs::remove(Utf8Path(BackupOf(file_)));
  dir_.WriteFile("Prefs.tmc", kDamaged);
  Fails({"repair", file_}, 3, "no usable backup copy");
  EXPECT_EQ(Read(file_ + "_corrupt(2)"), kDamaged);
}

TEST_F(ToolProcess, ListGivesTheStoreInOrderAsColumnsOrJsonAndLogAsTheContextLogLine) {
  Ok({"set", file_, "Window", "Left", "-20"});  // a value, not an option
  Ok({"set", file_, "Options", "Grid", "true"});
  Ok({"set", file_, "Recent", "File", "R&D/Tom's \"final\" <draft>.odt"});
  EXPECT_EQ(Ok({"list", file_}),
            "Recent   File  1  R&D/Tom's \"final\" <draft>.odt\n"
            "Options  Grid  1  True\n"
            "Window   Left  1  -20\n");
  EXPECT_EQ(Ok({"list", file_, "--json"}), R"([
  {"tag": "Recent", "id": "File", "instance": 1, "value": "R&D/Tom's \"final\" <draft>.odt"},
  {"tag": "Options", "id": "Grid", "instance": 1, "value": "True"},
  {"tag": "Window", "id": "Left", "instance": 1, "value": "-20"}
]
)");
  EXPECT_EQ(Ok({"log", file_}),
            "Context log: Prefs.tmc <context><Recent id=\"File\" instance=\"1\">R&amp;D/Tom&apos;s "
            "&quot;final&quot; &lt;draft&gt;.odt</Recent>~<Options id=\"Grid\" instance=\"1\">"
            "True</Options>~<Window id=\"Left\" instance=\"1\">-20</Window>~</context>\n");
}

TEST_F(ToolProcess, GetAndRemoveExitOneWhenThereIsNothingAndRemoveLeavesTheFileAlone) {
  for (const char* value : {"a", "b", "c"}) Ok({"set", file_, "Recent", "File", value});
  EXPECT_EQ(Ok({"get", file_, "Recent", "File"}), "c\n");
  EXPECT_EQ(Ok({"get", file_, "Recent", "File", "--all"}), "c\nb\na\n");
  Fails({"get", File("absent.tmc"), "Recent", "File"}, 1, "");
  Ok({"set", file_, "Recent", "File", "a"});
  EXPECT_EQ(Ok({"remove", file_, "Recent", "File", "a"}), "removed 2 values\n");
  const std::string before = Read(file_);
  EXPECT_EQ(Run({"remove", file_, "Nothing"}).status, 1);
  EXPECT_EQ(Read(file_), before);
}

TEST_F(ToolProcess, SetKeepsMaxValuesAndRemovesLinkedValuesOfDroppedOnes) {
  for (const char* path : {"one.txt", "two.txt", "three.txt"}) {
    Ok({"set", file_, "FileView", path, "zoom 2"});
    // Options go anywhere, with their value as the next word or after "=".
    Ok({"set", "--link", "'FileView", file_, "Recent", "File", path, "--max=2"});
  }
  EXPECT_EQ(Ok({"get", file_, "Recent", "File", "--all"}), "three.txt\ntwo.txt\n");
  EXPECT_EQ(Run({"get", file_, "FileView", "one.txt"}).status, 1);
  EXPECT_EQ(Ok({"get", file_, "FileView", "two.txt"}), "zoom 2\n");
}

TEST_F(ToolProcess, SetAndVerifyRefuseKeysAndValuesTheFileCannotGiveBack) {
  Ok({"set", file_, "Keep", "Me", "1"});
  const std::string before = Read(file_);
  // Each names the part at fault; the second would leave the whole file
  // unreadable at the next read.
  const struct {
    std::string tag, id, value, reason;
  } cases[] = {
      {"Window Pos", "x\"y", "1", "the tag 'Window Pos'"},
      {"Window", "a</context>b", "1", "the id 'a</context>b'"},
      {"Window", "Left", "two\nlines", "the value cannot be kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag + "|" + c.id + "|" + c.value);
    Fails({"set", file_, c.tag, c.id, c.value}, 2, c.reason);
    Fails({"verify", file_, c.tag, c.id, c.value}, 2, c.reason);
  }
  EXPECT_EQ(Read(file_), before);
}

TEST_F(ToolProcess, VerifyPrintsItsRepairsAndSavesOnlyWhenSomethingChanged) {
  EXPECT_NE(Ok({"verify", file_, "Window", "Maximized", "False"})
                .find("missing tag [Window,Maximized] set to 'False'"),
            std::string::npos);
  const fs::file_time_type written = fs::last_write_time(file_);
  EXPECT_EQ(Ok({"verify", file_, "Window", "Maximized", "False"}), "");
  EXPECT_EQ(fs::last_write_time(file_), written);
}

TEST_F(ToolProcess, ALibraryFailureEndsWithStatusThreeAndNamesTheProblem) {
  Fails({"set", file_, "context", "Id", "v"}, 3, "Attempt to make illegal context param.");
  EXPECT_FALSE(fs::exists(file_));
}

// Names beyond ASCII: the generations are found by listing the folder.
TEST_F(ToolProcess, CycleRenamesToTheNextGenerationAndPrunesOldOnes) {
  for (const char* name : {"設定.tmc", "設定(1).tmc", "設定(2).tmc"})
    dir_.WriteFile(std::string("Ärger/") + name, name);
  EXPECT_EQ(Ok({"cycle", File("Ärger/設定.tmc"), "--keep", "2"}),
            "renamed " + File("Ärger/設定.tmc") + " to " + File("Ärger/設定(3).tmc") +
                "\ndeleted " + File("Ärger/設定(1).tmc") + "\n");
  EXPECT_EQ(Read(File("Ärger/設定(3).tmc")), "設定.tmc");
  Fails({"cycle", File("Ärger/設定.tmc")}, 1, "");
}

TEST_F(ToolProcess, WhereNamesTheApplicationFolderAndPreferenceFile) {
  const std::string folder = folders_.application_data + kPathSeparator + "Survey-Plotter";
  const std::string separator(1, kPathSeparator);
  EXPECT_EQ(Ok({"where", "Survey/Plotter"}),
            "application folder: " + folder + separator + "\nuser preferences:   " + folder +
                separator + "UserPreferences.tmc\nbackup copies:      " + folders_.backup + "\n");
}

}  // namespace
}  // namespace tamrel::testing
