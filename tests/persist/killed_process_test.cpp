// Processes killed at a random moment: a saver killed half-way leaves the
// context file and its backup copy each loading whole, as one version or the
// other, and a holder of the lock killed while it holds it leaves no stale
// lock, as the system releases it with the process. The process is this test
// program started again, in the part that its environment names.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "automation/error_number.hpp"
#include "persist_fixture.hpp"
#include "support/discarding_host.hpp"
#include "support/run_program.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

// The part the started program plays, and the file it plays it on; it makes
// "<file>.ready" once the part is under way.
constexpr char kPart[] = "TAMREL_KILLED_PART";  // "saver" or "lock holder"
constexpr char kFile[] = "TAMREL_KILLED_FILE";
#ifdef _WIN32
constexpr int kKills = 20;  // starting a process costs far more than on POSIX
#else
constexpr int kKills = 60;
#endif

// Two versions of the store that differ in size and in every value.
Records Version(char which) {
  Records records;
  for (int i = 0; i < (which == 'a' ? 300 : 700); ++i) {
    records.push_back({"Tag" + std::to_string(i % 7), "Id" + std::to_string(i), 1,
                       std::string(1, which) + "<&>\"'" + std::to_string(i)});
  }
  return records;
}

// The saver's part: saves the two versions in turn until it is killed. Every
// other save is the day's first: the file is dated a day back before it, so
// that it gets a generation.
[[noreturn]] void SaveVersionsInTurn(const std::string& path) {
  auto saver = std::make_shared<ContextCls>();
  saver->SetApplicationContext(std::make_shared<DiscardingHost>());
  for (char which = 'b';; which = which == 'a' ? 'b' : 'a') {
    if (which == 'a') {
      platform::Current().file_system->SetModified(path, platform::Current().now() - 1);
    }
    saver->Clear();
    Fill(*saver, Version(which));
    if (!saver->Save(path)) std::_Exit(3);
    std::ofstream{Utf8Path(path + ".ready")};
  }
}

[[noreturn]] void HoldTheLock(const std::string& path) {
  ContextFileLock lock(path);
  std::ofstream{Utf8Path(path + ".ready")};
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

// In a program started by the tests below, plays its part instead of running
// tests, with the backup copies where the test has them.
class KilledPart : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* part = std::getenv(kPart);
    if (part == nullptr) return;
    const std::string file = std::getenv(kFile);
    platform::Scope backups(PersistTest::WindowsFolder(Utf8Path(file).parent_path() / "windows"));
    if (std::string(part) == "saver") SaveVersionsInTurn(file);
    HoldTheLock(file);
  }
};
[[maybe_unused]] ::testing::Environment* const kKilledPart =
    ::testing::AddGlobalTestEnvironment(new KilledPart);

class KilledProcessTest : public PersistTest {
 protected:
  // Starts this program in `part` on `path_`; returns once the part is under way.
  std::unique_ptr<StartedProgram> Start(const std::string& part) {
    const std::string ready = path_ + ".ready";
    std::filesystem::remove(Utf8Path(ready));
    auto program = std::make_unique<StartedProgram>(
        ThisProgram(), std::vector<std::string>{},
        EnvironmentChanges{{kPart, part}, {kFile, path_}}, dir_.Path("out"), dir_.Path("err"));
    for (int waited = 0; program->started() && !Exists(ready) && waited < 30000; ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(Exists(ready)) << part << " not under way: " << Read(dir_.Path("err"));
    return program;
  }

  const std::string path_ = dir_.Path("Crash.tmc");
};

TEST_F(KilledProcessTest, AKilledSaverNeverLeavesATornFile) {
  Fill(*context_, Version('a'));
  ASSERT_TRUE(context_->Save(path_));
  const auto loads_whole = [](const std::string& path) {
    const Loaded loaded = LoadFresh(path);
    return loaded.ok && !loaded.recovered &&
           (loaded.records == Version('a') || loaded.records == Version('b'));
  };
  std::mt19937 random(12345);
  // A fixed number of kills, each one checked: how many would fit in a time
  // depends on the machine.
  for (int kill = 1; kill <= kKills; ++kill) {
    const auto saver = Start("saver");
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
    ASSERT_TRUE(saver->Kill()) << "the saver stopped by itself: " << Read(dir_.Path("err"));
    ASSERT_TRUE(loads_whole(path_)) << "main copy, after kill " << kill;
    ASSERT_TRUE(loads_whole(Backup("Crash.tmc"))) << "backup copy, after kill " << kill;
  }
}

TEST_F(KilledProcessTest, AHolderKilledWhileHoldingTheLockLeavesNoStaleLock) {
  const auto holder = Start("lock holder");
  EXPECT_EQ(ErrorNumberOf([&] { ContextFileLock lock(path_, 0.2); }), errc::kPermissionDenied);
  ASSERT_TRUE(holder->Kill());
  EXPECT_EQ(ErrorNumberOf([&] { ContextFileLock lock(path_, 0.2); }), 0);
}

}  // namespace
}  // namespace tamrel::testing
