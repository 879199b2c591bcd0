// Load: reading context files, and recovery from the backup copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist_fixture.hpp"

namespace tamrel::testing {
namespace {

constexpr double kFileDate = 45000.5;    // 2023-03-15 12:00:00
constexpr double kBackupDate = 44999.25;  // 2023-03-14 06:00:00

const std::string kGood = ContextFile(Element("A", "a", 1, "1") + Element("B", "b", 1, "2"));
const std::string kBackupText =
    ContextFile(Element("A", "a", 1, "old1") + Element("B", "b", 1, "old2") +
                Element("C", "c", 1, "old3"));

class LoadTest : public PersistTest {
 protected:
  std::string File(const std::string& text) {
    WriteDated(dir_.Path("Setup.tmc"), text, kFileDate);
    return dir_.Path("Setup.tmc");
  }
  void BackupCopy(const std::string& text) { WriteDated(Backup("Setup.tmc"), text, kBackupDate); }

  Texts Messages() const {
    Texts prompts;
    for (const HostCall& call : host_->CallsOf("ShowMessage")) {
      EXPECT_EQ(call.args, (Texts{call.args[0], "0", ApplicationTitle() + " Context File Error",
                                  "", "0"}));
      prompts.push_back(call.args[0]);
    }
    return prompts;
  }

  static std::string Date(double ole) { return CStr(Variant::FromDate(ole)); }
};

TEST_F(LoadTest, RecordsAreAppendedAndTheFileLoggedWithoutLineBreaks) {
  EXPECT_FALSE(context_->Load(dir_.Path("none.tmc")));
  EXPECT_TRUE(host_->calls().empty());
  const std::string path = File(kGood);
  Fill(*context_, {{"X", "x", 1, "kept"}});
  ASSERT_TRUE(context_->Load(path));
  ASSERT_TRUE(context_->Load(path));  // each Load checks its instances afresh
  EXPECT_EQ(RecordsOf(*context_), (Records{{"X", "x", 1, "kept"}, {"A", "a", 1, "1"},
                                           {"B", "b", 1, "2"}, {"A", "a", 1, "1"},
                                           {"B", "b", 1, "2"}}));
  EXPECT_EQ(context_->SaveLocation(), path);
  EXPECT_FALSE(context_->changed());
  EXPECT_EQ(host_->LogLines()[0], "Context log: " + path + " <context><A id=\"a\" instance=\"1\">"
                                  "1</A><B id=\"b\" instance=\"1\">2</B></context>");
}

TEST_F(LoadTest, SavedValuesComeBackWithoutTheirLineBreaks) {
  const Records records = {{"Chars", "all", 1, "<&'\">&lt;&amp;"},
                           {"Chars", "all", 2, "two\r\nlines\nand\rcr"},
                           {"Path", "file", 1, "C:\\Data\\x y.tmc"},
                           {"Empty", "e", 1, ""}};
  Fill(*context_, records);
  const std::string path = dir_.Path("RoundTrip.tmc");
  ASSERT_TRUE(context_->Save(path));
  auto loaded = std::make_shared<ContextCls>();
  loaded->SetApplicationContext(host_);
  ASSERT_TRUE(loaded->Load(path));
  Records expected = records;
  std::get<3>(expected[1]) = "twolinesand\rcr";
  EXPECT_EQ(RecordsOf(*loaded), expected);
}

TEST_F(LoadTest, CutOffFileIsKeptAsCorruptAndReplacedByTheBackup) {
  const std::string cut = kGood.substr(0, kGood.size() / 2);
  const std::string path = File(cut);
  BackupCopy(kBackupText);
  dir_.WriteFile("Setup.tmc_corrupt(1)", "older damage");
  EXPECT_TRUE(context_->Load(path));
  EXPECT_EQ(RecordsOf(*context_),
            (Records{{"A", "a", 1, "old1"}, {"B", "b", 1, "old2"}, {"C", "c", 1, "old3"}}));
  EXPECT_EQ(Messages(), Texts{"Error reading the context file: " + path + " dated: " +
                              Date(kFileDate) + "\r\n\r\nReverting to version saved on: " +
                              Date(kBackupDate)});
  EXPECT_EQ(Read(path), kBackupText);
  EXPECT_EQ(Read(path + "_corrupt(1)"), "older damage");
  EXPECT_EQ(Read(path + "_corrupt(2)"), cut);
  EXPECT_EQ(context_->SaveLocation(), "");
  EXPECT_EQ(host_->DetailLines().back(), "Error occurred loading: " + path);
}

TEST_F(LoadTest, MissingInnerEndTagKeepsTheRecordsReadAndAddsTheRestFromTheBackup) {
  const std::string path =
      File(ContextFile(Element("A", "a", 1, "1") + "<B id=\"b\" instance=\"1\">2\r\n"));
  BackupCopy(kBackupText);
  EXPECT_TRUE(context_->Load(path));
  EXPECT_EQ(RecordsOf(*context_),
            (Records{{"A", "a", 1, "1"}, {"B", "b", 1, "old2"}, {"C", "c", 1, "old3"}}));
}

TEST_F(LoadTest, DamagedFileWithoutAGoodBackupEmptiesTheStore) {
  Fill(*context_, {{"X", "x", 1, "lost"}});
  const std::string path = File("<context><A>");
  EXPECT_FALSE(context_->Load(path));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  EXPECT_EQ(Messages(), Texts{"The backup configuration file: " + Backup("Setup.tmc") +
                              " does not exist."});
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(Exists(path + "_corrupt(1)"));

  host_->ClearCalls();
  File("<context><A>");
  BackupCopy("<context><B id=\"b\" instance=\"1\">x</B>");
  EXPECT_FALSE(context_->Load(path));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  const Texts messages = Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], "Error reading the backup configuration file: " + Backup("Setup.tmc") +
                             " dated: " + Date(kBackupDate) +
                             "\r\n\r\nReverting to an empty configuration file.");
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(Exists(Backup("Setup.tmc")));
  EXPECT_TRUE(Exists(path + "_corrupt(2)"));
  EXPECT_TRUE(Exists(Backup("Setup.tmc_corrupt(1)")));
  EXPECT_EQ(context_->SaveLocation(), "");
}

TEST_F(LoadTest, FailureOutsideDecodingGoesToTheMainTrap) {
  const std::string path = File(kGood);
  host_->FailOn("WriteLog", 70);
  EXPECT_FALSE(context_->Load(path));
  EXPECT_TRUE(RecordsOf(*context_).empty());
  const std::vector<HostCall> registered = host_->CallsOf("RegisterError");
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].args, (Texts{"Tamrel/ContextCls/Load", "Initialize: " + path}));
  EXPECT_EQ(registered[0].error.number, 70);
  EXPECT_EQ(context_->SaveLocation(), "");
}

}  // namespace
}  // namespace tamrel::testing
