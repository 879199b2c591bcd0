// ContextWatcher against writers in other processes (the tamrel tool) and
// in this one (other contexts, renames, deletions): every report, applied
// in turn to the records the file held, must give the file's records.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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
  std::ranges::sort(records, {}, [](const Record& r) { return std::tie(r.tag, r.id, r.instance); });
  return records;
}

// `records` after a report: those removed and changed go, those changed and
// added come.
std::vector<Record> Applied(std::vector<Record> records, const ContextChange& change) {
  for (const std::vector<Record>* gone : {&change.removed, &change.changed}) {
    for (const Record& g : *gone) {
      std::erase_if(records, [&](const Record& r) {
        return std::tie(r.tag, r.id, r.instance) == std::tie(g.tag, g.id, g.instance);
      });
    }
  }
  records.insert(records.end(), change.changed.begin(), change.changed.end());
  records.insert(records.end(), change.added.begin(), change.added.end());
  return Sorted(records);
}

class ContextWatcherTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }

  // Another program's save or removal: `tamrel WORDS`, returned.
  void Tool(const std::vector<std::string>& words) {
    ASSERT_EQ(RunProgram(TAMREL_TOOL_PATH, words, folders_.environment, Path("out"), Path("err")),
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

// Another program's saves, record by record, while the file's path leads
// somewhere else: a folder made later, a file deleted, set aside and
// restored, damaged.
TEST_F(ContextWatcherTest, AnotherProgramsSavesAreReportedWhereverThePathLeads) {
  const std::string file = Path("later/deeper/Prefs.tmc");
  ContextWatcher watcher(file, host_context_);
  Tool({"set", file, "Window", "Top", "5"});  // makes both folders
  EXPECT_EQ(Reported(watcher).added, (std::vector<Record>{{"Window", "Top", 1, "5"}}));
  Tool({"set", file, "Window", "Left", "10"});
  EXPECT_EQ(Reported(watcher).added, (std::vector<Record>{{"Window", "Left", 1, "10"}}));
  Tool({"set", file, "Window", "Left", "20"});  // renumbers: instance 1 changes, 2 is added
  ContextChange change = Reported(watcher);
  EXPECT_EQ(change.changed, (std::vector<Record>{{"Window", "Left", 1, "20"}}));
  EXPECT_EQ(change.added, (std::vector<Record>{{"Window", "Left", 2, "10"}}));
  Tool({"remove", file, "Window", "Left"});
  EXPECT_EQ(Reported(watcher).removed.size(), 2u);

  // Reported checks each state against the file, and that nothing changed.
  fs::rename(file, file + "_corrupt(1)");
  EXPECT_EQ(Reported(watcher).file, State::kMissing);
  fs::rename(file + "_corrupt(1)", file);
  EXPECT_EQ(Reported(watcher).file, State::kLoaded);

  dir_.WriteFile("garbage", "<context><A id=\"x\" instance=\"1\">");
  fs::rename(Path("garbage"), file);
  EXPECT_FALSE(Reported(watcher).reason.empty()) << "damaged";
}

// A link is followed to its target's folder, also when it is pointed
// elsewhere. Skipped where the system makes no symbolic links (Wine).
TEST_F(ContextWatcherTest, ALinkIsFollowedToItsTargetAndWhenPointedElsewhere) {
  const std::string file = Path("Prefs.tmc");
  Tool({"set", Path("elsewhere/Prefs.tmc"), "B", "y", "2"});
  Tool({"set", Path("other/Prefs.tmc"), "C", "z", "3"});
  std::error_code error;
  fs::create_symlink(Path("elsewhere/Prefs.tmc"), file, error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  followed_ = Sorted(ReadFileRecords(file).records);
  ContextWatcher watcher(file, host_context_);

  ContextSets(Path("elsewhere/Prefs.tmc"), "B", "y", "4");  // in the target's folder
  EXPECT_EQ(Reported(watcher).changed, (std::vector<Record>{{"B", "y", 1, "4"}}));
  fs::create_symlink(Path("other/Prefs.tmc"), Path("new-link"));
  fs::rename(Path("new-link"), file);  // the link pointed elsewhere
  EXPECT_EQ(Reported(watcher).added, (std::vector<Record>{{"C", "z", 1, "3"}}));
  Tool({"set", file, "C", "z", "5"});
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

  ContextSets(file, "Window", "Left", "30");  // a burst: one report of the net change
  ContextSets(file, "Window", "Top", "30");
  ContextSets(file, "Window", "Width", "300");
  const ContextChange change = watcher.Wait(kReportWait).value_or(ContextChange{});
  EXPECT_EQ(ApplyChange(*host_context_, change), 2);
  EXPECT_EQ(Sorted(Records(*host_context_)), Sorted({{"Window", "Left", 1, "30"},
                                                     {"Window", "Left", 2, "10"},
                                                     {"Window", "Top", 1, "15"},
                                                     {"Window", "Width", 1, "300"}}));
  EXPECT_TRUE(host_context_->changed()) << "the host's Top is still to be saved";

  ASSERT_TRUE(host_context_->Save(file));  // the host's own save, and a touch: no report
  EXPECT_FALSE(watcher.Wait(kQuietWait)) << "a report";
  fs::last_write_time(file, fs::file_time_type::clock::now());
  EXPECT_FALSE(watcher.Wait(kQuietWait)) << "a report";
  ContextSets(file, "Window", "Width", "400");
  EXPECT_EQ(ApplyChange(*host_context_, watcher.Wait(kReportWait).value_or(ContextChange{})), 1);
  EXPECT_EQ(CStr(host_context_->Value("Window", "Width")), "400");
  EXPECT_FALSE(host_context_->changed()) << "what the file holds needs no save";
}

}  // namespace
}  // namespace tamrel::testing
