// Load: reading context files, and recovery from the backup copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "persist_fixture.hpp"
#include "tamrel/filesystem.hpp"

namespace tamrel::testing {
namespace {

constexpr double kFileDate = 45000.5;    // 2023-03-15 12:00:00
constexpr double kBackupDate = 44999.25;  // 2023-03-14 06:00:00

const std::string kGood = ContextFile(Element("A", "a", 1, "1") + Element("B", "b", 1, "2") +
                                      Element("C", "c", 1, "3"));
const std::string kBackupText = ContextFile(Element("A", "a", 1, "old1") +
                                            Element("B", "b", 1, "old2") +
                                            Element("C", "c", 1, "old3") +
                                            Element("D", "d", 1, "old4"));

class LoadTest : public PersistTest {
 protected:
  std::string WriteDated(const std::string& path, const std::string& text, double date) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    dir_.WriteFile(std::filesystem::relative(path, dir_.path()).string(), text);
    platform::Current().file_system->SetModified(path, date);
    return path;
  }
  std::string File(const std::string& text) {
    return WriteDated(dir_.Path("Setup.tmc"), text, kFileDate);
  }
  void BackupCopy(const std::string& text) { WriteDated(Backup("Setup.tmc"), text, kBackupDate); }

  std::vector<std::string> Messages() const {
    std::vector<std::string> prompts;
    for (const HostCall& call : host_->CallsOf("ShowMessage")) {
      EXPECT_EQ(call.args[1], "0");
      EXPECT_EQ(call.args[2], ApplicationTitle() + " Context File Error");
      EXPECT_EQ(call.args[3], "");
      EXPECT_EQ(call.args[4], "0");
      prompts.push_back(call.args[0]);
    }
    return prompts;
  }

  static std::string Date(double ole) { return CStr(Variant::FromDate(ole)); }
};

TEST_F(LoadTest, MissingFileChangesNothing) {
  Fill(*context_, {{"X", "x", 1, "kept"}});
  EXPECT_FALSE(context_->Load(dir_.Path("none.tmc")));
  EXPECT_TRUE(host_->calls().empty());
  EXPECT_EQ(RecordsOf(*context_), (std::vector<Record>{{"X", "x", 1, "kept"}}));
  EXPECT_EQ(context_->SaveLocation(), "");
}

TEST_F(LoadTest, RecordsAreAppendedAndEachLoadChecksAfresh) {
  const std::string path = File(kGood);
  Fill(*context_, {{"X", "x", 1, "kept"}});
  ASSERT_TRUE(context_->Load(path));
  ASSERT_TRUE(context_->Load(path));
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"X", "x", 1, "kept"}, {"A", "a", 1, "1"}, {"B", "b", 1, "2"},
                                 {"C", "c", 1, "3"}, {"A", "a", 1, "1"}, {"B", "b", 1, "2"},
                                 {"C", "c", 1, "3"}}));
  EXPECT_EQ(context_->SaveLocation(), path);
  EXPECT_FALSE(context_->changed());
  EXPECT_TRUE(detail::StateOf(*context_).load_instances == std::nullopt);
  // Logged in full, with the line breaks gone.
  EXPECT_EQ(host_->LogLines()[0], "Context log: " + path + " <context>" +
                                      "<A id=\"a\" instance=\"1\">1</A>"
                                      "<B id=\"b\" instance=\"1\">2</B>"
                                      "<C id=\"c\" instance=\"1\">3</C></context>");
}

TEST_F(LoadTest, SavedValuesComeBackWithoutTheirLineBreaks) {
  const std::vector<Record> records = {
      {"Chars", "all", 1, "<&'\">&lt;"},
      {"Chars", "all", 2, "two\r\nlines\nand\rcr"},
      {"Path", "file", 1, "C:\\Data\\x y.tmc"},
      {"Empty", "e", 1, ""},
  };
  Fill(*context_, records);
  const std::string path = dir_.Path("RoundTrip.tmc");
  ASSERT_TRUE(context_->Save(path));
  auto loaded = std::make_shared<ContextCls>();
  loaded->SetApplicationContext(host_);
  ASSERT_TRUE(loaded->Load(path));
  std::vector<Record> expected = records;
  std::get<3>(expected[1]) = "twolinesand\rcr";
  EXPECT_EQ(RecordsOf(*loaded), expected);
}

TEST_F(LoadTest, EmptyAndLfOnlyFilesLoad) {
  EXPECT_TRUE(context_->Load(File("")));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  EXPECT_EQ(context_->SaveLocation(), dir_.Path("Setup.tmc"));
  EXPECT_TRUE(Messages().empty());

  const std::string lf_path = WriteDated(dir_.Path("Lf.tmc"),
                                         "<context><A id=\"a\" instance=\"1\">x\ny</A>\n</context>",
                                         kFileDate);
  EXPECT_TRUE(context_->Load(lf_path));
  EXPECT_EQ(RecordsOf(*context_), (std::vector<Record>{{"A", "a", 1, "xy"}}));
}

TEST_F(LoadTest, CutOffFileIsRecoveredFromTheBackup) {
  const std::string path = File(kGood.substr(0, kGood.size() / 2));
  BackupCopy(kBackupText);
  EXPECT_TRUE(context_->Load(path));
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"A", "a", 1, "old1"}, {"B", "b", 1, "old2"},
                                 {"C", "c", 1, "old3"}, {"D", "d", 1, "old4"}}));
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Error reading the context file: " + path + " dated: " +
                            Date(kFileDate) + "\r\n\r\nReverting to version saved on: " +
                            Date(kBackupDate)});
  EXPECT_EQ(Read(path), kBackupText);
  EXPECT_EQ(Read(path + "_corrupt(1)"), kGood.substr(0, kGood.size() / 2));
  EXPECT_EQ(context_->SaveLocation(), "");
  std::vector<std::string> details = host_->DetailLines();
  ASSERT_FALSE(details.empty());
  EXPECT_EQ(details.back(), "Error occurred loading: " + path);
}

TEST_F(LoadTest, MissingInnerEndTagKeepsTheRecordsReadAndAddsTheRestFromTheBackup) {
  const std::string damaged = ContextFile(Element("A", "a", 1, "1") + Element("B", "b", 1, "2") +
                                          "<C id=\"c\" instance=\"1\">3\r\n");
  const std::string path = File(damaged);
  BackupCopy(kBackupText);
  EXPECT_TRUE(context_->Load(path));
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"A", "a", 1, "1"}, {"B", "b", 1, "2"}, {"C", "c", 1, "old3"},
                                 {"D", "d", 1, "old4"}}));
  // The backup's repeats of A and B are logged as repeated instances.
  EXPECT_EQ(host_->LogLines().size(), 3u);
}

TEST_F(LoadTest, CorruptNameTakesTheFirstFreeNumber) {
  const std::string path = File("<context>");
  dir_.WriteFile("Setup.tmc_corrupt(1)", "older damage");
  BackupCopy(kBackupText);
  EXPECT_TRUE(context_->Load(path));
  EXPECT_EQ(Read(path + "_corrupt(1)"), "older damage");
  EXPECT_EQ(Read(path + "_corrupt(2)"), "<context>");
}

TEST_F(LoadTest, DamagedFileWithoutBackupEmptiesTheStore) {
  Fill(*context_, {{"X", "x", 1, "lost"}});
  const std::string path = File("<context><A>");
  EXPECT_FALSE(context_->Load(path));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  EXPECT_EQ(Messages(), std::vector<std::string>{"The backup configuration file: " +
                                                 Backup("Setup.tmc") + " does not exist."});
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(Exists(path + "_corrupt(1)"));
  EXPECT_EQ(context_->SaveLocation(), "");
}

TEST_F(LoadTest, BackupPathIsTheWindowsFolderASeparatorAndTheName) {
  // Save puts the backup at GetWindowsFolder() + separator + name even when
  // the Windows folder is unknown (""); Load must look at the same path.
  platform::Hooks hooks;
  hooks.windows_folder = [] { return std::string(); };
  platform::Scope no_windows_folder(hooks);
  const std::string name = "tamrel-load-test-" + dir_.path().filename().string() + ".tmc";
  const std::string expected_backup = std::string(1, kPathSeparator) + name;
  ASSERT_FALSE(Exists(expected_backup));
  const std::string path = WriteDated(dir_.Path(name), "<context><A>", kFileDate);
  EXPECT_FALSE(context_->Load(path));
  EXPECT_EQ(Messages(), std::vector<std::string>{"The backup configuration file: " +
                                                 expected_backup + " does not exist."});
}

TEST_F(LoadTest, BothCopiesDamagedLeavesAnEmptyStoreAndNoFileOfEitherName) {
  const std::string path = File("<context><A>");
  BackupCopy("<context><B id=\"b\" instance=\"1\">x</B>");
  EXPECT_FALSE(context_->Load(path));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  std::vector<std::string> messages = Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], "Error reading the backup configuration file: " + Backup("Setup.tmc") +
                             " dated: " + Date(kBackupDate) +
                             "\r\n\r\nReverting to an empty configuration file.");
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(Exists(Backup("Setup.tmc")));
  EXPECT_TRUE(Exists(path + "_corrupt(1)"));
  EXPECT_TRUE(Exists(Backup("Setup.tmc_corrupt(1)")));
}

TEST_F(LoadTest, CalibrationFileLogsAtMost200Characters) {
  std::string elements;
  for (int i = 1; i <= 20; ++i) elements += Element("Cal", "p", i, "value");
  const std::string path =
      WriteDated(dir_.Path("CalibrationSettings.tmc"), ContextFile(elements), kFileDate);
  ASSERT_TRUE(context_->Load(path));
  ASSERT_EQ(host_->LogLines().size(), 1u);
  EXPECT_EQ(host_->LogLines()[0].size(), ("Context log: " + path + " ").size() + 200);
}

TEST_F(LoadTest, FailureOutsideDecodingGoesToTheMainTrap) {
  const std::string path = File(kGood);
  host_->FailOn("WriteLog", 70);
  EXPECT_FALSE(context_->Load(path));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  std::vector<HostCall> registered = host_->CallsOf("RegisterError");
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].args, (std::vector<std::string>{"Tamrel/ContextCls/Load",
                                                          "Initialize: " + path}));
  EXPECT_EQ(registered[0].error.number, 70);
  EXPECT_EQ(host_->CallsOf("HandleError")[0].args,
            (std::vector<std::string>{"True", "True", "False"}));
  EXPECT_EQ(context_->SaveLocation(), "");
}

}  // namespace
}  // namespace tamrel::testing
