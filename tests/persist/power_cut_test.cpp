// Power cuts at every step of a Save and of a recovering Load, on a disk
// that keeps only what was flushed (MemoryDisk). After each cut and reboot
// the context file and its backup copy must each load whole, as the old
// version or the new, the generations must hold every old version once,
// and a recovery must never lose the values.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "persist_fixture.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

constexpr double kToday = 45000.5;
constexpr double kYesterday = kToday - 1;
constexpr uint32_t kPrivate = 0600;
const std::string kFolder = "/home/app";
const std::string kBackupFolder = "/state/Tamrel";
const std::string kFile = kFolder + "/Setup.tmc";
const std::string kOldest = ContextFile(Element("Setup", "Port", 1, "COM0"));
const Records kOldRecords = {{"Setup", "Port", 1, "COM1"}};
const std::string kOld = ContextFile(kOldRecords);
const Records kNewRecords = {{"Setup", "Port", 1, "COM2"}};
const std::string kNew = ContextFile(kNewRecords);
const std::string kDamaged = "<context><Setup id=\"Port\" instance=\"1\">COM9</Set";

// The `number`th generation of `path`, as a name in its folder.
std::string GenerationName(const std::string& path, int number) {
  const std::string name = path.substr(path.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  return name.substr(0, dot) + "(" + std::to_string(number) + ")" + name.substr(dot);
}

class PowerCutTest : public ::testing::Test {
 protected:
  // A disk as the tests start from: `files` (path -> text) dated yesterday.
  // Private files (0600): a new version must keep that.
  static std::shared_ptr<MemoryDisk> DiskWith(const std::map<std::string, std::string>& files) {
    auto disk = std::make_shared<MemoryDisk>();
    disk->PutFolder(kFolder);
    disk->PutFolder(kBackupFolder);
    for (const auto& [path, text] : files) disk->PutFile(path, text, kYesterday, kPrivate);
    return disk;
  }

  static platform::Hooks HooksFor(std::shared_ptr<MemoryDisk> disk) {
    platform::Hooks hooks = MemoryDisk::Hooks(std::move(disk));
    hooks.windows_folder = [] { return kBackupFolder; };
    hooks.now = [] { return kToday; };
    hooks.message_box = [](const std::string&, int16_t, const std::string&) {
      return Variant(int16_t{1});
    };
    return hooks;
  }

  // The backup copy of `file` on these disks.
  static std::string Backup(const std::string& file = kFile) {
    platform::Scope scope(HooksFor(std::make_shared<MemoryDisk>()));
    return BackupCopyPath(file);
  }

  // Runs `operation` on a fresh disk made by `make_disk`, with the power cut
  // before the backend call `cut` (-1: no cut, the count of calls is
  // returned), then reboots.
  template <class MakeDisk, class Operation>
  static int RunWithCut(MakeDisk make_disk, Operation operation, int cut,
                        std::shared_ptr<MemoryDisk>& disk) {
    disk = make_disk();
    platform::Scope scope(HooksFor(disk));
    if (cut >= 0) disk->CutPowerAtCall(cut);
    const int before = disk->calls();
    operation();
    const int calls = disk->calls() - before;
    if (cut >= 0) disk->Reboot();
    return calls;
  }

  static bool SaveNew(const std::string& path) {
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(std::make_shared<DiscardingHost>());
    Fill(*context, {{"Setup", "Port", 1, "COM2"}});
    return context->Save(path);
  }

  // Every cut of `operation`, plus one after it returned; `check` examines
  // the rebooted disk (with its hooks in force) and names the cut on failure.
  template <class MakeDisk, class Operation, class Check>
  static void CutEverywhere(MakeDisk make_disk, Operation operation, Check check) {
    std::shared_ptr<MemoryDisk> disk;
    const int calls = RunWithCut(make_disk, operation, -1, disk);
    ASSERT_GT(calls, 0);
    for (int cut = 0; cut <= calls; ++cut) {
      RunWithCut(make_disk, operation, cut, disk);
      platform::Scope scope(HooksFor(disk));
      SCOPED_TRACE("power cut before call " + std::to_string(cut) + " of " + std::to_string(calls));
      check(*disk, cut == calls);
    }
  }
};

using Generations = std::map<std::string, std::string>;  // name -> text

// The copy at `path` after a Save: the old version with the generations
// `before` (or already `after`) in its `folder`, or the new with those
// `after`; each loads whole.
// The copy stays private, as it was, also when it was written anew after
// the old one became a generation.
void ExpectOldOrNew(MemoryDisk& disk, const std::string& folder, const std::string& path,
                    bool save_returned, const Generations& before, const Generations& after) {
  const std::optional<std::string> text = disk.Content(path);
  ASSERT_TRUE(text == kOld || text == kNew) << path;
  if (save_returned) {
    EXPECT_EQ(*text, kNew);
  }
  EXPECT_EQ(disk.Status(path).permissions, kPrivate) << path;
  const Loaded loaded = LoadFresh(path);
  EXPECT_TRUE(loaded.ok && !loaded.recovered);
  EXPECT_EQ(loaded.records, *text == kOld ? kOldRecords : kNewRecords);
  Generations generations;
  for (const std::string& name : disk.FileNames(folder)) {
    if (name.find('(') != std::string::npos) generations[name] = *disk.Content(folder + "/" + name);
  }
  // The generation is made before the copy is replaced: the old copy may
  // already have it beside it.
  if (*text == kOld) {
    EXPECT_TRUE(generations == before || generations == after) << path;
  } else {
    EXPECT_EQ(generations, after) << path;
  }
}

// Copies written on an earlier day get the next generation beside them,
// and the path never lacks its file; copies written today are overwritten.
TEST_F(PowerCutTest, ASaveKeepsTheOldOrTheNewVersionOfBothCopiesAtEveryCut) {
  const std::string backup = Backup();
  for (const double written : {kYesterday, kToday}) {
    const bool rotates = written == kYesterday;
    SCOPED_TRACE(rotates ? "written yesterday" : "written today");
    std::map<std::string, std::pair<Generations, Generations>> kept;  // path -> before, after
    for (const std::string& path : {kFile, backup}) {
      Generations& before = kept[path].first;
      if (rotates) before[GenerationName(path, 1)] = kOldest;
      kept[path].second = before;
      if (rotates) kept[path].second[GenerationName(path, 2)] = kOld;
    }
    auto make_disk = [&] {
      auto disk = DiskWith({});
      for (const auto& [folder, path] : {std::pair{kFolder, kFile}, {kBackupFolder, backup}}) {
        disk->PutFile(path, kOld, written, kPrivate);
        for (const auto& [name, text] : kept[path].first) disk->PutFile(folder + "/" + name, text);
      }
      return disk;
    };
    CutEverywhere(
        make_disk, [] { SaveNew(kFile); },
        [&](MemoryDisk& disk, bool save_returned) {
          ExpectOldOrNew(disk, kFolder, kFile, save_returned, kept[kFile].first,
                         kept[kFile].second);
          ExpectOldOrNew(disk, kBackupFolder, backup, save_returned, kept[backup].first,
                         kept[backup].second);
        });
  }
}

TEST_F(PowerCutTest, AFirstSaveIntoFoldersItMadeIsOnTheDiskOnceItReturns) {
  const std::string deep_file = kFolder + "/new/deeper/Setup.tmc";
  CutEverywhere([] { return DiskWith({}); }, [&] { SaveNew(deep_file); },
                [&](MemoryDisk& disk, bool save_returned) {
                  const std::optional<std::string> text = disk.Content(deep_file);
                  if (save_returned) {
                    ASSERT_TRUE(text.has_value());
                    EXPECT_EQ(disk.Content(Backup(deep_file)), kNew);
                  }
                  if (!text) return;
                  EXPECT_EQ(*text, kNew);
                  const Loaded loaded = LoadFresh(deep_file);
                  EXPECT_TRUE(loaded.ok && !loaded.recovered);
                });
}

TEST_F(PowerCutTest, ARecoveringLoadNeverLosesTheValuesNorTheDamagedFile) {
  auto make_disk = [] { return DiskWith({{kFile, kDamaged}, {Backup(), kOld}}); };
  bool loaded_ok = false;
  CutEverywhere(
      make_disk, [&] { loaded_ok = LoadFresh(kFile).ok; },
      [&](MemoryDisk& disk, bool load_returned) {
        if (load_returned) {
          EXPECT_TRUE(loaded_ok);
          EXPECT_EQ(disk.Content(kFile), kOld);
          // The restored copy keeps the backup's date.
          EXPECT_EQ(disk.Status(kFile).modified, kYesterday);
        }
        // The damaged text is kept, in place or set aside.
        const bool damaged_kept =
            disk.Content(kFile) == kDamaged || disk.Content(kFile + "_corrupt(1)") == kDamaged;
        EXPECT_TRUE(damaged_kept);
        EXPECT_EQ(disk.Content(Backup()), kOld);
        // Whatever the cut left, a Load gives the backup's values.
        const Loaded again = LoadFresh(kFile);
        EXPECT_TRUE(again.ok);
        EXPECT_EQ(again.records, kOldRecords);
      });
}

}  // namespace
}  // namespace tamrel::testing
