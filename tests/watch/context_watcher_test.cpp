// ContextWatcher against writers in other processes (the tamrel tool) and
// in this one (other contexts, renames, deletions): every report, applied
// in turn to the records the file held, must give the file's records.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/discarding_host.hpp"
#include "support/run_program.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/file_records.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/watcher.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using State = FileRecords::State;

// Longer than the debounce and a busy machine's delays together.
constexpr milliseconds kReportWait(3000);
// How long a watcher is given to stay quiet.
constexpr milliseconds kQuietWait(400);

std::vector<Record> Sorted(std::vector<Record> records) {
  std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
    return std::tie(a.tag, a.id, a.instance, a.value) < std::tie(b.tag, b.id, b.instance, b.value);
  });
  return records;
}

// `records` after a report: those removed and changed go, those changed and
// added come.
std::vector<Record> Applied(std::vector<Record> records, const ContextChange& change) {
  auto same_key = [](const Record& a, const Record& b) {
    return a.tag == b.tag && a.id == b.id && a.instance == b.instance;
  };
  for (const std::vector<Record>* gone : {&change.removed, &change.changed}) {
    for (const Record& record : *gone) {
      std::erase_if(records, [&](const Record& held) { return same_key(held, record); });
    }
  }
  records.insert(records.end(), change.changed.begin(), change.changed.end());
  records.insert(records.end(), change.added.begin(), change.added.end());
  return Sorted(records);
}

class ContextWatcherTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }

  // Another program's save: `tamrel set FILE TAG ID VALUE`, returned.
  void ToolSets(const std::string& file, const std::string& tag, const std::string& id,
                const std::string& value) {
    ASSERT_EQ(RunProgram(TAMREL_TOOL_PATH, {"set", file, tag, id, value}, folders_.environment,
                         Path("out"), Path("err")),
              0)
        << TempDir::ReadFile(Path("err"));
  }

  // A save by another context of this process.
  void ContextSets(const std::string& file, const std::string& tag, const std::string& id,
                   const std::string& value) {
    auto other = std::make_shared<ContextCls>();
    other->SetApplicationContext(std::make_shared<DiscardingHost>());
    other->Load(file);
    other->Add(tag, id, Variant(value));
    ASSERT_TRUE(other->Save(file));
  }

  // Waits for one report and checks it against the file: the records
  // followed so far, with the report applied, are the file's.
  ContextChange Reported(ContextWatcher& watcher) {
    std::optional<ContextChange> change = watcher.Wait(kReportWait);
    EXPECT_TRUE(change.has_value()) << "no report";
    if (!change) return {};
    const FileRecords file = ReadFileRecords(watcher.file());
    EXPECT_EQ(change->file, file.state) << change->reason;
    if (file.state == State::kLoaded) {
      followed_ = Applied(followed_, *change);
      EXPECT_EQ(followed_, Sorted(file.records));
    }
    return *change;
  }

  void NothingReported(ContextWatcher& watcher) {
    std::optional<ContextChange> change = watcher.Wait(kQuietWait);
    EXPECT_FALSE(change.has_value())
        << "a report of " << (change ? change->added.size() : 0) << " added, "
        << (change ? change->changed.size() : 0) << " changed records";
  }

  TempDir dir_;
  // Backup copies of this process's saves go where the tool's go.
  platform::Scope backups_{[this] {
    platform::Hooks hooks;
    hooks.windows_folder = [this] {
      fs::create_directories(Path("state/Tamrel"));
      return Path("state/Tamrel");
    };
    return hooks;
  }()};
  const ProgramFolders folders_ = IsolatedFolders(Path("state"), Path("config"), Path("home"));
  std::shared_ptr<ContextCls> host_context_ = std::make_shared<ContextCls>();
  std::vector<Record> followed_;  // the file's records as the reports tell them
};

TEST_F(ContextWatcherTest, AnotherProgramsSavesAreReportedRecordByRecord) {
  const std::string file = Path("Prefs.tmc");
  ToolSets(file, "Window", "Left", "10");
  followed_ = Sorted(ReadFileRecords(file).records);
  ContextWatcher watcher(file, host_context_);

  ToolSets(file, "Window", "Left", "20");  // renumbers: instance 1 changes, 2 is added
  ContextChange change = Reported(watcher);
  EXPECT_EQ(change.changed, (std::vector<Record>{{"Window", "Left", 1, "20"}}));
  EXPECT_EQ(change.added, (std::vector<Record>{{"Window", "Left", 2, "10"}}));

  ToolSets(file, "Window", "Top", "5");
  change = Reported(watcher);
  EXPECT_EQ(change.added, (std::vector<Record>{{"Window", "Top", 1, "5"}}));
  EXPECT_TRUE(change.changed.empty() && change.removed.empty());

  ASSERT_EQ(RunProgram(TAMREL_TOOL_PATH, {"remove", file, "Window", "Left"}, folders_.environment,
                       Path("out"), Path("err")),
            0);
  change = Reported(watcher);
  EXPECT_EQ(change.removed.size(), 2u);
  NothingReported(watcher);
}

TEST_F(ContextWatcherTest, ABurstOfSavesGivesOneReportOfTheNetChange) {
  const std::string file = Path("Prefs.tmc");
  ContextSets(file, "Recent", "File", "a");
  followed_ = Sorted(ReadFileRecords(file).records);
  ContextWatcher watcher(file, host_context_);
  for (const char* value : {"b", "c", "d", "e", "f"}) ContextSets(file, "Recent", "File", value);
  const ContextChange change = Reported(watcher);
  EXPECT_EQ(change.after.size(), 4u) << "four instances kept";
  NothingReported(watcher);
}

TEST_F(ContextWatcherTest, TheHostsOwnSaveAndAnUnchangingTouchAreNotReported) {
  const std::string file = Path("Prefs.tmc");
  host_context_->SetApplicationContext(std::make_shared<DiscardingHost>());
  host_context_->Add("Window", "Left", Variant("10"));
  ASSERT_TRUE(host_context_->Save(file));
  ContextWatcher watcher(file, host_context_);
  host_context_->Add("Window", "Left", Variant("20"));
  ASSERT_TRUE(host_context_->Save(file));
  NothingReported(watcher);
  fs::last_write_time(file, fs::file_time_type::clock::now());
  NothingReported(watcher);
}

// The file's path leading somewhere else: a folder made later, a file
// deleted, set aside and restored, damaged.
TEST_F(ContextWatcherTest, TheFileIsFollowedWhereverItsPathLeads) {
  const std::string file = Path("later/deeper/Prefs.tmc");
  ContextWatcher watcher(file, host_context_);
  ToolSets(file, "A", "x", "1");  // makes both folders
  EXPECT_EQ(Reported(watcher).added.size(), 1u);

  fs::rename(file, file + "_corrupt(1)");
  EXPECT_EQ(Reported(watcher).file, State::kMissing);
  fs::rename(file + "_corrupt(1)", file);
  const ContextChange back = Reported(watcher);
  EXPECT_EQ(back.file, State::kLoaded);
  EXPECT_TRUE(back.added.empty() && back.changed.empty() && back.removed.empty());

  dir_.WriteFile("garbage", "<context><A id=\"x\" instance=\"1\">");
  fs::rename(Path("garbage"), file);
  const ContextChange damaged = Reported(watcher);
  EXPECT_EQ(damaged.file, State::kDamaged);
  EXPECT_FALSE(damaged.reason.empty());
}

// A link is followed to its target's folder, also when it is pointed
// elsewhere. Skipped where the system makes no symbolic links (Wine).
TEST_F(ContextWatcherTest, ALinkIsFollowedToItsTargetAndWhenPointedElsewhere) {
  const std::string file = Path("Prefs.tmc");
  ToolSets(Path("elsewhere/Prefs.tmc"), "B", "y", "2");
  ToolSets(Path("other/Prefs.tmc"), "C", "z", "3");
  std::error_code error;
  fs::create_symlink(Path("elsewhere/Prefs.tmc"), file, error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  followed_ = Sorted(ReadFileRecords(file).records);
  ContextWatcher watcher(file, host_context_);

  ContextSets(Path("elsewhere/Prefs.tmc"), "B", "y", "4");  // in the target's folder
  EXPECT_EQ(Reported(watcher).changed, (std::vector<Record>{{"B", "y", 1, "4"}}));
  fs::create_symlink(Path("other/Prefs.tmc"), Path("new-link"));
  fs::rename(Path("new-link"), file);  // the link pointed elsewhere
  const ContextChange pointed = Reported(watcher);
  EXPECT_EQ(pointed.added, (std::vector<Record>{{"C", "z", 1, "3"}}));
  EXPECT_EQ(pointed.removed.size(), 2u);
  ToolSets(file, "C", "z", "5");
  EXPECT_EQ(Reported(watcher).changed, (std::vector<Record>{{"C", "z", 1, "5"}}));
}

TEST_F(ContextWatcherTest, ApplyingAReportKeepsWhatTheHostChangedAndHasNotSaved) {
  const std::string file = Path("Prefs.tmc");
  host_context_->SetApplicationContext(std::make_shared<DiscardingHost>());
  host_context_->Add("Window", "Left", Variant("10"));
  host_context_->Add("Window", "Top", Variant("10"));
  ASSERT_TRUE(host_context_->Save(file));
  ContextWatcher watcher(file, host_context_);
  host_context_->Value("Window", "Top", Variant("15"));  // the host's own, not saved

  ContextSets(file, "Window", "Left", "30");
  ContextSets(file, "Window", "Top", "30");
  ContextSets(file, "Window", "Width", "300");
  const ContextChange change = watcher.Wait(kReportWait).value_or(ContextChange{});
  EXPECT_EQ(ApplyChange(*host_context_, change), 2);
  EXPECT_EQ(Sorted(Records(*host_context_)), Sorted({{"Window", "Left", 1, "30"},
                                                     {"Window", "Left", 2, "10"},
                                                     {"Window", "Top", 1, "15"},
                                                     {"Window", "Width", 1, "300"}}));
  EXPECT_TRUE(host_context_->changed()) << "the host's Top is still to be saved";

  ASSERT_TRUE(host_context_->Save(file));
  NothingReported(watcher);
  ContextSets(file, "Window", "Width", "400");
  EXPECT_EQ(ApplyChange(*host_context_, watcher.Wait(kReportWait).value_or(ContextChange{})), 1);
  EXPECT_EQ(CStr(host_context_->Value("Window", "Width")), "400");
  EXPECT_FALSE(host_context_->changed()) << "what the file holds needs no save";
}

}  // namespace
}  // namespace tamrel::testing
