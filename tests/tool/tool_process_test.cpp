// The tamrel program as a user meets it: exit statuses, standard output and
// error, and the files it leaves; each run has its own configuration folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>

#include "support/run_program.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/filesystem.hpp"

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
  std::string BackupOf(const std::string& name) const {
    return folders_.backup + kPathSeparator + name;
  }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }

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

TEST_F(ToolProcess, SetCreatesTheFileItsFoldersAndTheBackupCopy) {
  const std::string file = File("not/yet/there/Setup.tmc");
  EXPECT_EQ(Ok({"set", file, "Window", "Left", "-20"}), "");
  EXPECT_EQ(Read(file), "<context><Window id=\"Left\" instance=\"1\">-20</Window>\r\n</context>");
  EXPECT_EQ(Read(BackupOf("Setup.tmc")), Read(file));
  EXPECT_EQ(Ok({"get", file, "Window", "Left"}), "-20\n");
}

TEST_F(ToolProcess, NamesAndValuesBeyondAsciiRoundTripAndTheFileEndsLinesWithCrLf) {
  const std::string file = File("Ärger/日本/設定.tmc");
  Ok({"set", file, "Fenster", "Größe", "groß & 日本語"});
  EXPECT_EQ(Read(file),
            "<context><Fenster id=\"Größe\" instance=\"1\">groß &amp; 日本語</Fenster>\r\n"
            "</context>");
  EXPECT_EQ(Read(BackupOf("設定.tmc")), Read(file));
  EXPECT_EQ(Ok({"get", file, "Fenster", "Größe"}), "groß & 日本語\n");
  EXPECT_NE(Ok({"list", file}).find("Größe  1  groß & 日本語\n"), std::string::npos);

  // A write command loads as a host does: the damaged file is set aside under
  // its own name and the backup copy fills in.
  dir_.WriteFile("Ärger/日本/設定.tmc", "<context><Fenster");
  Ok({"set", file, "Fenster", "Höhe", "1"});
  EXPECT_EQ(Read(file + "_corrupt(1)"), "<context><Fenster");
  EXPECT_EQ(Ok({"get", file, "Fenster", "Größe"}), "groß & 日本語\n");
}

TEST_F(ToolProcess, ListGivesTheStoreInOrderAsColumnsOrJson) {
  Ok({"set", file_, "Window", "Left", "120"});
  Ok({"set", file_, "Options", "Grid", "true"});
  Ok({"set", file_, "Recent", "File", "R&D/Tom's \"final\" <draft>.odt"});
  EXPECT_EQ(Ok({"list", file_}),
            "Recent   File  1  R&D/Tom's \"final\" <draft>.odt\n"
            "Options  Grid  1  True\n"
            "Window   Left  1  120\n");
  EXPECT_EQ(Ok({"list", file_, "--json"}), R"([
  {"tag": "Recent", "id": "File", "instance": 1, "value": "R&D/Tom's \"final\" <draft>.odt"},
  {"tag": "Options", "id": "Grid", "instance": 1, "value": "True"},
  {"tag": "Window", "id": "Left", "instance": 1, "value": "120"}
]
)");
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
  const struct {
    std::string tag, id, value, reason;
  } cases[] = {
      // These would leave the whole file unreadable at the next read.
      {"Window Pos", "Left", "1", "the tag 'Window Pos'"},
      {"Window", "a</Window>b", "1", "the id 'a</Window>b'"},
      {"Window", "a</context>b", "1", "the id 'a</context>b'"},
      // These would come back under another tag or id, or not at all.
      {"Window>", "Left", "1", "the tag 'Window>'"},
      {"CONTEXT", "Left", "1", "the tag 'CONTEXT'"},
      {"Window", "x\"y", "1", "the id 'x\"y'"},
      {"Window", " Left", "1", "the id ' Left'"},
      {"Win\ndow", "Left", "1", "the tag 'Win\ndow'"},
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

TEST_F(ToolProcess, DamagedFileIsShownFromItsBackupCopyRestoredByWritesOrEndsWithStatusThree) {
  Ok({"set", file_, "Window", "Left", "120"});
  const std::string good = Read(file_), damaged = good.substr(0, good.size() / 2);
  dir_.WriteFile("Prefs.tmc", damaged);
  Outcome outcome = Run({"list", file_});
  EXPECT_EQ(outcome.out, "Window  Left  1  120\n");
  EXPECT_NE(outcome.err.find("is damaged; these are the values of its backup copy " +
                             BackupOf("Prefs.tmc")),
            std::string::npos);
  EXPECT_EQ(Read(file_), damaged);
  EXPECT_FALSE(fs::exists(file_ + "_corrupt(1)"));

  outcome = Run({"set", file_, "Window", "Top", "7"});
  EXPECT_NE(outcome.err.find("restored from its backup copy " + BackupOf("Prefs.tmc")),
            std::string::npos);
  EXPECT_EQ(Read(file_ + "_corrupt(1)"), damaged);
  EXPECT_EQ(Ok({"get", file_, "Window", "Left"}), "120\n");

  const std::string lost = dir_.WriteFile("Lost.tmc", "<context><Window id=\"Left\"");
  Fails({"get", lost, "Window", "Left"}, 3, "is missing or damaged too; nothing was changed");
  EXPECT_FALSE(fs::exists(lost + "_corrupt(1)"));
  Fails({"remove", lost, "Window"}, 3, "no usable backup copy");
  EXPECT_TRUE(fs::exists(lost + "_corrupt(1)"));
}

TEST_F(ToolProcess, LibraryFailuresEndWithStatusThreeAndNameTheProblem) {
  Fails({"set", file_, "context", "Id", "v"}, 3, "Attempt to make illegal context param.");
  EXPECT_FALSE(fs::exists(file_));
  Ok({"set", file_, "Window", "Left", "1"});
  fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  Fails({"set", file_, "Window", "Left", "2"}, 3, "cannot save " + file_);
}

TEST_F(ToolProcess, LogPrintsTheContextLogLine) {
  Ok({"set", file_, "Window", "Left", "1"});
  Ok({"set", file_, "Note", "Text", "a&b"});
  EXPECT_EQ(Ok({"log", file_}),
            "Context log: Prefs.tmc <context><Note id=\"Text\" instance=\"1\">a&amp;b</Note>~"
            "<Window id=\"Left\" instance=\"1\">1</Window>~</context>\n");
}

TEST_F(ToolProcess, CycleRenamesToTheNextGenerationAndPrunesOldOnes) {
  for (const char* name : {"Setup.tmc", "Setup(1).tmc", "Setup(2).tmc"}) dir_.WriteFile(name, name);
  EXPECT_EQ(Ok({"cycle", File("Setup.tmc"), "--keep", "2"}),
            "renamed " + File("Setup.tmc") + " to " + File("Setup(3).tmc") + "\ndeleted " +
                File("Setup(1).tmc") + "\n");
  Fails({"cycle", File("Setup.tmc")}, 1, "");
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
