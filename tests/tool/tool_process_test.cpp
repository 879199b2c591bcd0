// The tamrel program as a user meets it: exit statuses, what goes to standard
// output and standard error, and the files it leaves behind. Each test runs
// the program with its own configuration and backup folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>

#include "json_reader.hpp"
#include "support/temp_dir.hpp"
#include "tool_process.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;

class ToolProcess : public ::testing::Test {
 protected:
  ProcessResult Run(std::initializer_list<std::string> args) {
    return RunProcess(TAMREL_TOOL_PATH, args,
                      {{"XDG_STATE_HOME", dir_.Path("state")},
                       {"XDG_CONFIG_HOME", dir_.Path("config")},
                       {"HOME", dir_.Path("home")}});
  }
  // Runs a command that must succeed.
  std::string Ok(std::initializer_list<std::string> args) {
    const ProcessResult result = Run(args);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
  }
  std::string File(const std::string& name) const { return dir_.Path(name); }
  std::string BackupOf(const std::string& name) const { return dir_.Path("state/Tamrel/" + name); }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }

  TempDir dir_;
};

TEST_F(ToolProcess, BadCommandLinesPrintUsageAndExitTwo) {
  const std::initializer_list<std::string> lines[] = {
      {}, {"frobnicate"}, {"list"}, {"get", "f", "T"}, {"list", "f", "--bogus"},
      {"cycle", "f", "--keep", "0"}, {"get", "f", "T", "I", "--all", "--instance", "1"}};
  for (const auto& line : lines) {
    const ProcessResult result = Run(line);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("tamrel: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("Usage"), std::string::npos) << result.err;
  }
}

TEST_F(ToolProcess, HelpGoesToStandardOutput) {
  ProcessResult result = Run({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* command : {"list", "get", "set", "remove", "verify", "log", "cycle", "where"}) {
    EXPECT_NE(result.out.find(command), std::string::npos) << command;
  }
  result = Run({"set", "--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("Usage: tamrel set FILE TAG ID VALUE", 0), 0u);
  EXPECT_NE(result.out.find("--link LINKID"), std::string::npos);
}

TEST_F(ToolProcess, SetCreatesTheFileItsFoldersAndTheBackupCopy) {
  const std::string file = File("not/yet/there/Setup.tmc");
  EXPECT_EQ(Ok({"set", file, "Window", "Left", "-20"}), "");
  EXPECT_EQ(Read(file), "<context><Window id=\"Left\" instance=\"1\">-20</Window>\r\n</context>");
  EXPECT_EQ(Read(BackupOf("Setup.tmc")), Read(file));
  EXPECT_EQ(Ok({"get", file, "Window", "Left"}), "-20\n");
}

TEST_F(ToolProcess, ListJsonReadsBackToTheStoreInOrder) {
  const std::string file = File("Prefs.tmc");
  const std::string tricky = "/home/ana/R&D/Tom's \"final\" <draft>.odt";
  Ok({"set", file, "Window", "Left", "120"});
  Ok({"set", file, "Options", "Grid", "true"});
  Ok({"set", file, "Recent", "File", "a.txt"});
  Ok({"set", file, "Recent", "File", tricky});

  const ProcessResult result = Run({"list", file, "--json"});
  ASSERT_EQ(result.status, 0) << result.err;
  const JsonValue array = ParseJson(result.out);
  ASSERT_EQ(array.kind, JsonValue::Kind::kArray);
  struct Expected {
    std::string tag, id;
    double instance;
    std::string value;
  };
  const Expected expected[] = {{"Recent", "File", 1, tricky},
                               {"Recent", "File", 2, "a.txt"},
                               {"Options", "Grid", 1, "True"},
                               {"Window", "Left", 1, "120"}};
  ASSERT_EQ(array.elements.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const JsonValue& record = array.elements[i];
    EXPECT_EQ(record.Keys(), (std::vector<std::string>{"tag", "id", "instance", "value"}));
    EXPECT_EQ(record["tag"].text, expected[i].tag);
    EXPECT_EQ(record["id"].text, expected[i].id);
    EXPECT_EQ(record["instance"].number, expected[i].instance);
    EXPECT_EQ(record["value"].text, expected[i].value);
  }
}

TEST_F(ToolProcess, GetPrintsFirstAllOrOneInstanceAndExitsOneWhenThereIsNone) {
  const std::string file = File("Prefs.tmc");
  for (const char* value : {"a", "b", "c"}) Ok({"set", file, "Recent", "File", value});
  EXPECT_EQ(Ok({"get", file, "Recent", "File"}), "c\n");
  EXPECT_EQ(Ok({"get", file, "Recent", "File", "--all"}), "c\nb\na\n");
  EXPECT_EQ(Ok({"get", file, "Recent", "File", "--instance", "2"}), "b\n");

  for (const auto& line : {std::initializer_list<std::string>{"get", file, "Recent", "Other"},
                           {"get", file, "Recent", "File", "--instance", "9"},
                           {"get", File("absent.tmc"), "Recent", "File"}}) {
    const ProcessResult result = Run(line);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("tamrel: ", 0), 0u);
  }
}

TEST_F(ToolProcess, SetKeepsMaxValuesAndRemovesLinkedValuesOfDroppedOnes) {
  const std::string file = File("Prefs.tmc");
  for (const char* path : {"one.txt", "two.txt"}) {
    Ok({"set", file, "FileView", path, "zoom 2"});
    Ok({"set", file, "Recent", "File", path, "--max", "2", "--link", "'FileView"});
  }
  Ok({"set", file, "Recent", "File", "three.txt", "--max", "2", "--link", "'FileView"});
  EXPECT_EQ(Ok({"get", file, "Recent", "File", "--all"}), "three.txt\ntwo.txt\n");
  EXPECT_EQ(Run({"get", file, "FileView", "one.txt"}).status, 1);
  EXPECT_EQ(Ok({"get", file, "FileView", "two.txt"}), "zoom 2\n");
}

TEST_F(ToolProcess, RemoveCountsWhatItRemovedAndLeavesTheFileAloneWhenNothingMatched) {
  const std::string file = File("Prefs.tmc");
  for (const char* value : {"a", "b", "a"}) Ok({"set", file, "Recent", "File", value});
  Ok({"set", file, "Window", "Left", "5"});
  EXPECT_EQ(Ok({"remove", file, "Recent", "File", "a"}), "removed 2 values\n");
  EXPECT_EQ(Ok({"get", file, "Recent", "File", "--all"}), "b\n");

  const std::string before = Read(file);
  const ProcessResult result = Run({"remove", file, "Nothing"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(Read(file), before);
  EXPECT_EQ(Ok({"remove", file, "Window"}), "removed 1 value\n");
}

TEST_F(ToolProcess, VerifyPrintsItsRepairsAndSavesOnlyWhenSomethingChanged) {
  const std::string file = File("Prefs.tmc");
  std::string out = Ok({"verify", file, "Window", "Maximized", "False"});
  EXPECT_NE(out.find("missing tag [Window,Maximized] set to 'False'"), std::string::npos) << out;
  EXPECT_EQ(Ok({"get", file, "Window", "Maximized"}), "False\n");

  Ok({"set", file, "Window", "Width", "wide"});
  out = Ok({"verify", file, "Window", "Width", "800"});
  EXPECT_NE(out.find("non-numeric tag [Window,Width] Value 'wide' reset to '800'"),
            std::string::npos)
      << out;

  const fs::file_time_type written = fs::last_write_time(file);
  EXPECT_EQ(Ok({"verify", file, "Window", "Width", "800"}), "");
  EXPECT_EQ(fs::last_write_time(file), written);
}

TEST_F(ToolProcess, DamagedFileIsRestoredFromItsBackupCopyAndTheToolSaysSo) {
  const std::string file = File("Prefs.tmc");
  Ok({"set", file, "Window", "Left", "120"});
  const std::string good = Read(file);
  dir_.WriteFile("Prefs.tmc", good.substr(0, good.size() / 2));

  const ProcessResult result = Run({"list", file});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Window  Left  1  120"), std::string::npos) << result.out;
  EXPECT_NE(result.err.find("restored from its backup copy " + BackupOf("Prefs.tmc")),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("kept as " + file + "_corrupt(1)"), std::string::npos);
  EXPECT_EQ(Read(file + "_corrupt(1)"), good.substr(0, good.size() / 2));
  EXPECT_EQ(Read(file), good);
}

TEST_F(ToolProcess, DamagedFileWithoutBackupEndsWithStatusThree) {
  const std::string file = dir_.WriteFile("Lost.tmc", "<context><Window id=\"Left\"");
  const ProcessResult result = Run({"get", file, "Window", "Left"});
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("no usable backup copy"), std::string::npos) << result.err;
  EXPECT_TRUE(fs::exists(file + "_corrupt(1)"));
}

TEST_F(ToolProcess, LibraryFailuresEndWithStatusThreeAndNameTheProblem) {
  const std::string file = File("Prefs.tmc");
  ProcessResult result = Run({"set", file, "context", "Id", "v"});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("Attempt to make illegal context param."), std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(file));

  Ok({"set", file, "Window", "Left", "1"});
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  result = Run({"set", file, "Window", "Left", "2"});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("cannot save " + file), std::string::npos) << result.err;
}

TEST_F(ToolProcess, LogPrintsTheContextLogLine) {
  const std::string file = File("Prefs.tmc");
  Ok({"set", file, "Window", "Left", "1"});
  Ok({"set", file, "Note", "Text", "a&b"});
  EXPECT_EQ(Ok({"log", file}),
            "Context log: Prefs.tmc <context><Note id=\"Text\" instance=\"1\">a&amp;b</Note>~"
            "<Window id=\"Left\" instance=\"1\">1</Window>~</context>\n");
  EXPECT_EQ(Ok({"log", file, "mine"}).rfind("Context log: mine <context>", 0), 0u);
}

TEST_F(ToolProcess, CycleRenamesToTheNextGenerationAndPrunesOldOnes) {
  for (const char* name : {"Setup.tmc", "Setup(1).tmc", "Setup(2).tmc"}) dir_.WriteFile(name, name);
  const std::string out = Ok({"cycle", File("Setup.tmc"), "--keep", "2"});
  EXPECT_EQ(out, "renamed " + File("Setup.tmc") + " to " + File("Setup(3).tmc") + "\n" +
                     "deleted " + File("Setup(1).tmc") + "\n");
  EXPECT_EQ(Read(File("Setup(3).tmc")), "Setup.tmc");
  EXPECT_TRUE(fs::exists(File("Setup(2).tmc")));

  const ProcessResult result = Run({"cycle", File("Setup.tmc")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(fs::exists(File("Setup(2).tmc")));
}

TEST_F(ToolProcess, WhereNamesTheApplicationFolderAndPreferenceFile) {
  const std::string out = Ok({"where", "Survey/Plotter"});
  const std::string folder = File("config/Survey-Plotter");
  EXPECT_NE(out.find("application folder: " + folder), std::string::npos) << out;
  EXPECT_NE(out.find("user preferences:   " + folder + "/UserPreferences.tmc"), std::string::npos);
  EXPECT_NE(out.find("backup copies:      " + File("state/Tamrel")), std::string::npos);
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(ToolProcess, VerboseSendsTheLibraryLogToStandardErrorOrAFile) {
  const std::string file = File("Prefs.tmc");
  Ok({"set", file, "Window", "Left", "1"});
  ProcessResult result = Run({"get", file, "Window", "Left", "--verbose"});
  EXPECT_EQ(result.out, "1\n");
  EXPECT_NE(result.err.find("Context log: " + file), std::string::npos) << result.err;

  result = Run({"get", file, "Window", "Left", "--log", File("tool.log")});
  EXPECT_EQ(result.err, "");
  EXPECT_NE(Read(File("tool.log")).find("Context log: " + file), std::string::npos);
}

}  // namespace
}  // namespace tamrel::testing
