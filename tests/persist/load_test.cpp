// Load: reading context files, logging them, recovery from the backup copy
// and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "persist/context_log.hpp"
#include "persist/context_text.hpp"
#include "persist/load.hpp"
#include "persist_fixture.hpp"
#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

constexpr double kFileDate = 45000.5;     // 2023-03-15 12:00:00
constexpr double kBackupDate = 44999.25;  // 2023-03-14 06:00:00

const Records kBackupRecords = {
    {"A", "a", 1, "old1"}, {"B", "b", 1, "old2"}, {"C", "c", 1, "old3"}};

class LoadTest : public PersistTest {
 protected:
  const std::string path_ = dir_.Path("Setup.tmc");

  void File(const std::string& text) { WriteDated(path_, text, kFileDate); }
  void BackupCopy(const std::string& text) { WriteDated(Backup("Setup.tmc"), text, kBackupDate); }

  Texts Messages() const {
    Texts prompts;
    for (const HostCall& call : host_->CallsOf("ShowMessage")) {
      EXPECT_EQ(call.args,
                (Texts{call.args[0], "0", ApplicationTitle() + " Context File Error", "", "0"}));
      prompts.push_back(call.args[0]);
    }
    return prompts;
  }

  static std::string Date(double ole) { return CStr(Variant::FromDate(ole)); }
};

TEST_F(LoadTest, RecordsAreAppendedAndTheFileLoggedWithoutLineBreaks) {
  EXPECT_FALSE(context_->Load(dir_.Path("none.tmc")));
  EXPECT_TRUE(host_->calls().empty());
  File(ContextFile({{"A", "a", 1, "1"}, {"B", "b", 1, "2"}}));
  context_->Value("X", "x", Variant("kept"));  // changed: a Load starts afresh
  ASSERT_TRUE(context_->Load(path_));
  ASSERT_TRUE(context_->Load(path_));  // each Load checks its instances afresh
  EXPECT_EQ(tamrel::Records(*context_), (Records{{"X", "x", 1, "kept"},
                                                 {"A", "a", 1, "1"},
                                                 {"B", "b", 1, "2"},
                                                 {"A", "a", 1, "1"},
                                                 {"B", "b", 1, "2"}}));
  EXPECT_EQ(context_->SaveLocation(), path_);
  EXPECT_FALSE(context_->changed());
  EXPECT_EQ(host_->LogLines()[0], "Context log: " + path_ +
                                      " <context><A id=\"a\" instance=\"1\">"
                                      "1</A><B id=\"b\" instance=\"1\">2</B></context>");
}

TEST_F(LoadTest, DamagedFileIsKeptAsCorruptAndTheBackupFillsIn) {
  const std::string cut = ContextFile(Records{{"A", "a", 1, "1"}, {"B", "b", 1, "2"}});
  File(cut.substr(0, cut.size() / 2));
  BackupCopy(ContextFile(kBackupRecords));
  dir_.WriteFile("Setup.tmc_corrupt(1)", "older damage");
  EXPECT_TRUE(context_->Load(path_));
  EXPECT_EQ(tamrel::Records(*context_), kBackupRecords);
  EXPECT_EQ(Messages(),
            Texts{"Error reading the context file: " + path_ + " dated: " + Date(kFileDate) +
                  "\r\n\r\nReverting to version saved on: " + Date(kBackupDate)});
  EXPECT_EQ(Read(path_), ContextFile(kBackupRecords));
  EXPECT_EQ(Read(path_ + "_corrupt(1)"), "older damage");
  EXPECT_EQ(Read(path_ + "_corrupt(2)"), cut.substr(0, cut.size() / 2));
  EXPECT_EQ(context_->SaveLocation(), "");
  EXPECT_EQ(host_->DetailLines().back(), "Error occurred loading: " + path_);
  // A missing inner end tag: the records read before it stay.
  context_->Clear();
  File(ContextFile(Element("A", "a", 1, "1") + "<B id=\"b\" instance=\"1\">2\r\n"));
  EXPECT_TRUE(context_->Load(path_));
  EXPECT_EQ(tamrel::Records(*context_),
            (Records{{"A", "a", 1, "1"}, {"B", "b", 1, "old2"}, {"C", "c", 1, "old3"}}));
}

TEST_F(LoadTest, DamagedFileWithoutAGoodBackupEmptiesTheStore) {
  Fill(*context_, {{"X", "x", 1, "lost"}});
  File("<context><A>");
  EXPECT_FALSE(context_->Load(path_));
  EXPECT_TRUE(tamrel::Records(*context_).empty());
  EXPECT_EQ(Messages(),
            Texts{"The backup configuration file: " + Backup("Setup.tmc") + " does not exist."});
  EXPECT_TRUE(Exists(path_ + "_corrupt(1)"));
  host_->ClearCalls();
  File("<context><A>");
  BackupCopy("<context><B id=\"b\" instance=\"1\">x</B>");
  EXPECT_FALSE(context_->Load(path_));
  EXPECT_TRUE(tamrel::Records(*context_).empty());
  EXPECT_EQ(Messages().at(1), "Error reading the backup configuration file: " +
                                  Backup("Setup.tmc") + " dated: " + Date(kBackupDate) +
                                  "\r\n\r\nReverting to an empty configuration file.");
  EXPECT_TRUE(Exists(Backup("Setup.tmc") + "_corrupt(1)"));
}

// Each file has a backup copy of its own, whatever its name and however its
// path is spelled: a damaged file gets its own values back, never those of
// another file of the same name.
TEST_F(LoadTest, AFileIsRestoredFromItsOwnBackupCopyOnly) {
  const std::string mail = dir_.Path("Mail/Setup.tmc"), photo = dir_.Path("Photo/Setup.tmc");
  for (const auto& [file, secret] : {std::pair{mail, "mail-secret"}, {photo, "photo"}}) {
    std::filesystem::create_directories(std::filesystem::path(Utf8Path(file)).parent_path());
    auto saver = std::make_shared<ContextCls>();
    saver->SetApplicationContext(host_);
    saver->Value("Account", "Password", Variant(secret));
    ASSERT_TRUE(saver->Save(file));
  }
  EXPECT_NE(BackupCopyPath(mail), BackupCopyPath(photo));
  for (const std::string& spelling :
       {dir_.Path("Mail/../Photo/Setup.tmc"), dir_.Path("Photo/./Setup.tmc")}) {
    EXPECT_EQ(BackupCopyPath(spelling), BackupCopyPath(photo)) << spelling;
  }
  WriteDated(photo, "<context><A>", kFileDate);
  EXPECT_TRUE(context_->Load(photo));
  EXPECT_EQ(CStr(context_->Value("Account", "Password")), "photo");
}

// The recovery holds the file's lock: when it cannot have it, nothing is
// set aside or copied back.
TEST_F(LoadTest, ARecoveryThatCannotHaveTheLockLeavesTheFileAlone) {
  File("<context><A>");
  BackupCopy(ContextFile(kBackupRecords));
  auto disk = std::make_shared<FaultInjectingBackend>();
  disk->FailTimes(FileOp::kLock, 1, errc::kPermissionDenied);
  platform::Scope scope(FaultInjectingBackend::Hooks(disk));
  EXPECT_FALSE(context_->Load(path_));
  EXPECT_EQ(host_->Errors().back(),
            (std::pair<std::string, int32_t>{"Tamrel/ContextCls/Load", errc::kPermissionDenied}));
  EXPECT_EQ(Read(path_), "<context><A>");
  EXPECT_FALSE(Exists(path_ + "_corrupt(1)"));
}

// Past about 12,000 Tag and Id pairs the store's index outgrows the nearest
// caches, and each record's lookup is started from its Id, with the hash
// kept for the lookup; past about 98,000 a record earlier still, from the
// reader's quick look at the next start tag. What is read stays the same,
// also where that look finds no id it understands or an element has two.
TEST_F(LoadTest, AFileLargeEnoughForTheReaderToLookAheadLoadsLikeASmallOne) {
  Records expected;
  std::string elements;
  constexpr int kInRuns = 9000;  // records in runs of three instances of a pair
  for (int i = 0; i < kInRuns + 96000; ++i) {
    // Tags taking turns; then one record per pair.
    const int pair = i < kInRuns ? i / 3 : i - 2 * kInRuns / 3;
    Record record{"T" + std::to_string(pair % 7), "I" + std::to_string(pair),
                  static_cast<int16_t>(i < kInRuns ? i % 3 + 1 : 1), "v" + std::to_string(i)};
    elements += Element(record.tag, record.id, record.instance, record.value);
    expected.push_back(std::move(record));
    if (i % 10007 == 5) {  // now and then start tags the quick look does not understand
      const std::string n = std::to_string(i);
      elements += "<Odd instance=\"1\" id=\"" + n + "\">a</Odd><Bare id=" + n +
                  " instance=1>b</Bare><NoId" + n + " instance=\"1\">c</NoId" + n + "><Two id=\"" +
                  n + "\" id=\"x" + n + "\" instance=\"1\">d</Two>";
      expected.insert(expected.end(), {{"Odd", n, 1, "a"},
                                       {"Bare", n, 1, "b"},
                                       {"NoId" + n, "", 1, "c"},
                                       {"Two", "x" + n, 1, "d"}});
    }
  }
  elements += Element("T0", "I0", 1, "again");  // a repeat, dropped
  File(ContextFile(elements));

  ASSERT_TRUE(context_->Load(path_));
  EXPECT_TRUE(detail::StateOf(*context_).items.IndexOutgrowsCache());
  EXPECT_EQ(tamrel::Records(*context_), expected);
  EXPECT_EQ(host_->LogLines().back(),
            "ContextCls LOAD of  Tag: T0 Id: I0 Expected Instance: 4 Got: 1");
  // Each pair is filed where a lookup finds it.
  for (const Record& record : expected) {
    ASSERT_EQ(CStr(context_->Item(record.tag, record.id, record.instance)), record.value)
        << ::testing::PrintToString(record);
  }
}

// The library's side of the README's bad-input table, where other tests do
// not already show it: a folder where the file is expected, nesting too deep
// and a file of 50 MB.
TEST_F(LoadTest, AFolderWhereTheFileIsExpectedIsNoFileToLoadAndRefusesASave) {
  std::filesystem::create_directory(path_);
  EXPECT_FALSE(context_->Load(path_));
  EXPECT_TRUE(host_->Errors().empty());
  Fill(*context_, {{"Setup", "Port", 1, "COM1"}});
  EXPECT_FALSE(context_->Save(path_));
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Save", errc::kPermissionDenied}}));
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_FALSE(Exists(Backup("Setup.tmc")));
}

TEST_F(LoadTest, NestingTooDeepIsADamagedFileNotACrash) {
  constexpr int kDepth = 100000;
  std::string text = "<context>";
  for (int i = 0; i < kDepth; ++i) text += "<a>";
  for (int i = 0; i < kDepth; ++i) text += "</a>";
  text += "</context>";
  File(text);
  const std::string good = ContextFile(Element("Setup", "Port", 1, "COM1"));
  BackupCopy(good);

  // What was read before the damage stays, as for any damaged file.
  EXPECT_TRUE(context_->Load(path_));
  EXPECT_EQ(tamrel::Records(*context_).back(), (Record{"Setup", "Port", 1, "COM1"}));
  EXPECT_EQ(Read(path_ + "_corrupt(1)"), text);
  EXPECT_EQ(Read(path_), good);
}

TEST_F(LoadTest, AFileOf50MegabytesLoadsAndSavesWhole) {
  const std::string value(50 << 20, 'x');
  File(ContextFile(Element("Big", "blob", 1, value)));
  ASSERT_TRUE(context_->Load(path_));
  EXPECT_EQ(CStr(context_->Value("Big", "blob")).size(), value.size());
  ASSERT_TRUE(context_->Save(path_));
  EXPECT_EQ(Read(Backup("Setup.tmc")), Read(path_));
}

// The file's text goes to the log in lines of up to 15,001 characters,
// each but the last cut after an end tag.
TEST_F(LoadTest, FileTextIsLoggedCutAfterTheLastEndTagOfEachWindow) {
  // 15001 characters fit the first line.
  for (auto [length, count] :
       {std::pair<std::size_t, std::size_t>{15001, 1}, {15002, 2}, {40000, 3}}) {
    SCOPED_TRACE(length);
    std::string text = "<context>";
    while (text.size() + 49 <= length) text += Element("Tag", "Id", 1, "value");
    text += std::string(length - text.size() - 10, 'v') + "</context>";
    host_->ClearCalls();
    detail::LogContextFile(detail::StateOf(*context_), "F.tmc", text);
    const Texts lines = host_->LogLines();
    ASSERT_EQ(lines.size(), count);
    ASSERT_EQ(lines[0].rfind("Context log: F.tmc <context>", 0), 0u);
    std::string joined = lines[0].substr(19);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i - 1].back(), '>');  // each line but the last ends after an end tag
      joined += lines[i];
    }
    std::string shown;
    detail::AppendCrLfShown(shown, text);
    EXPECT_EQ(joined, shown);
  }
}

// The lines of a file as a reader of lines gives them (a line ends at LF,
// and a CR just before the LF belongs to the break), joined.
std::string JoinedLines(const std::string& text) {
  std::string joined;
  std::size_t from = 0;
  for (std::size_t lf = text.find('\n', from); lf != std::string::npos;
       lf = text.find('\n', from)) {
    std::string line = text.substr(from, lf - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    joined += line;
    from = lf + 1;
  }
  return joined + text.substr(from);
}

// Texts of up to a thousand bytes: lines of every length, shorter and
// longer than a block of the line-feed search, their breaks LF, CR LF or
// CR CR LF (one CR goes), with empty lines and stray CRs among them.
TEST(JoinLinesTest, JoinsAsReadingLineByLineWould) {
  const std::string breaks[] = {"\n", "\r\n", "\r\r\n", "\r"};
  Picker pick(99);
  for (int round = 0; round < 20000; ++round) {
    const std::size_t longest = 1 + pick.Below(40);
    std::string text;
    for (std::size_t lines = pick.Below(30); lines > 0; --lines) {
      text.append(pick.Below(longest), "ab"[pick.Below(2)]);
      text += pick.From(breaks);
    }
    std::string joined = text;
    const std::size_t lines = detail::JoinLines(joined);
    ASSERT_EQ(joined, JoinedLines(text)) << text;
    ASSERT_EQ(lines, 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  }
}

}  // namespace
}  // namespace tamrel::testing
