// The tool keeps every value: the reading commands change nothing on disk,
// repair restores a damaged file, and eight programs running `tamrel set`
// on one file at once keep all of their values. Runs the tool through sh: POSIX only.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "commands.hpp"
#include "console_host.hpp"
#include "support/fault_injecting_backend.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;

const std::string kClean = "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>";
const std::string kBackup = "<context><Setup id=\"Port\" instance=\"1\">COM2</Setup>\r\n</context>";
const std::string kDamaged = "<context><Setup id=\"Port\" instance=\"1\">COM9</Se";

struct Outcome {
  int status;
  std::string out, err;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Every file below `folder`: relative path -> content.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[Utf8Text(fs::relative(entry.path(), folder))] =
          TempDir::ReadFile(Utf8Text(entry.path()));
    }
  }
  return files;
}

class ToolReliability : public ::testing::Test {
 protected:
  std::string Environment() const {
    return "XDG_STATE_HOME=" + Quoted(dir_.Path("state")) +
           " XDG_CONFIG_HOME=" + Quoted(dir_.Path("config")) + " HOME=" + Quoted(dir_.Path("home"));
  }
  std::string Command(const std::vector<std::string>& args) const {
    std::string command = Quoted(TAMREL_TOOL_PATH);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    return command;
  }
  Outcome Run(const std::vector<std::string>& args) {
    const std::string line = Environment() + " " + Command(args) + " </dev/null >" +
                             Quoted(io_.Path("out")) + " 2>" + Quoted(io_.Path("err"));
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDir::ReadFile(io_.Path("out")),
            TempDir::ReadFile(io_.Path("err"))};
  }
  void Put(const std::string& main, const std::string& backup) {
    if (!main.empty()) dir_.WriteFile("Prefs.tmc", main);
    if (!backup.empty()) dir_.WriteFile("state/Tamrel/Prefs.tmc", backup);
    fs::create_directories(dir_.path() / "state/Tamrel");
  }

  TempDir dir_;
  TempDir io_;
  const std::string file_ = dir_.Path("Prefs.tmc");
};

TEST_F(ToolReliability, ReadingCommandsLeaveEveryByteAndEveryNameAsTheyWere) {
  const struct {
    const char* name;
    std::string main, backup;
    int status;
    std::string shown;    // on standard output, for list
    std::string warning;  // on standard error
  } cases[] = {
      {"clean", kClean, kBackup, 0, "COM1", ""},
      {"damaged, backup loads", kDamaged, kBackup, 0, "COM2", "is damaged; these are the values"},
      {"damaged, no backup", kDamaged, "", 3, "", "backup copy"},
      {"both damaged", kDamaged, kDamaged, 3, "", "is missing or damaged too"},
      {"missing", "", kBackup, 1, "", "no such context file"},
  };
  for (const auto& c : cases) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"list", file_},
                                                 {"get", file_, "Setup", "Port"},
                                                 {"log", file_}}) {
      SCOPED_TRACE(std::string(c.name) + ": " + args[0]);
      fs::remove_all(dir_.path() / "state");
      fs::remove(file_);
      Put(c.main, c.backup);
      const auto before = Snapshot(dir_.path());
      const Outcome outcome = Run(args);
      EXPECT_EQ(Snapshot(dir_.path()), before);
      EXPECT_EQ(outcome.status, c.status) << outcome.err;
      if (!c.shown.empty()) {
        EXPECT_NE(outcome.out.find(c.shown), std::string::npos) << outcome.out;
      }
      EXPECT_NE(outcome.err.find(c.warning), std::string::npos) << outcome.err;
      if (c.warning.empty()) {
        EXPECT_EQ(outcome.err, "");
      }
    }
  }
}

TEST_F(ToolReliability, RepairPutsTheBackupCopyInPlaceAndKeepsTheDamagedFile) {
  Put(kClean, kBackup);
  Outcome outcome = Run({"repair", file_});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("loads whole; nothing to repair"), std::string::npos);
  EXPECT_EQ(TempDir::ReadFile(file_), kClean);

  dir_.WriteFile("Prefs.tmc", kDamaged);
  outcome = Run({"repair", file_});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("restored"), std::string::npos);
  EXPECT_EQ(TempDir::ReadFile(file_), kBackup);
  EXPECT_EQ(TempDir::ReadFile(file_ + "_corrupt(1)"), kDamaged);

  fs::remove_all(dir_.path() / "state");
  dir_.WriteFile("Prefs.tmc", kDamaged);
  outcome = Run({"repair", file_});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_EQ(TempDir::ReadFile(file_ + "_corrupt(2)"), kDamaged);
}

// Eight shell loops of 25 `tamrel set` each, all at once, with distinct ids.
TEST_F(ToolReliability, EightProgramsSettingValuesAtOnceKeepAllTwoHundred) {
  constexpr int kPrograms = 8;
  constexpr int kSetsEach = 25;
  std::string script;
  for (int p = 0; p < kPrograms; ++p) {
    script += "(for i in $(seq 1 " + std::to_string(kSetsEach) + "); do " +
              Command({"set", file_, "Stress"}) + " p" + std::to_string(p) +
              "_$i v$i || echo failed >&2; done) & ";
  }
  script += "wait";
  const std::string line =
      Environment() + " sh -c " + Quoted(script) + " 2>" + Quoted(io_.Path("err"));
  ASSERT_EQ(std::system(line.c_str()), 0);
  EXPECT_EQ(TempDir::ReadFile(io_.Path("err")), "");

  auto host = RecordingHost::Make();
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  platform::Hooks hooks;
  hooks.windows_folder = [this] { return dir_.Path("state/Tamrel"); };
  platform::Scope scope(hooks);
  ASSERT_TRUE(context->Load(file_));
  for (const HostCall& call : host->calls()) {
    EXPECT_NE(call.op, "ShowMessage") << "the file needed a repair";
    EXPECT_NE(call.op, "RegisterError") << call.error.description;
  }
  EXPECT_FALSE(fs::exists(file_ + "_corrupt(1)"));
  for (int p = 0; p < kPrograms; ++p) {
    for (int i = 1; i <= kSetsEach; ++i) {
      const std::string id = "p" + std::to_string(p) + "_" + std::to_string(i);
      EXPECT_EQ(CStr(context->Value("Stress", id)), "v" + std::to_string(i)) << id;
    }
  }
  // One value each, no more: the listing has a line per value.
  const Outcome listing = Run({"list", file_});
  EXPECT_EQ(std::count(listing.out.begin(), listing.out.end(), '\n'), kPrograms * kSetsEach);
  EXPECT_EQ(TempDir::ReadFile(dir_.Path("state/Tamrel/Prefs.tmc")), TempDir::ReadFile(file_));
}

TEST_F(ToolReliability, AFileHeldByAnotherProgramEndsAWriteCommandWithStatusThree) {
  auto disk = std::make_shared<FaultInjectingBackend>();
  disk->FailTimes(FileOp::kLock, 1, errc::kPermissionDenied);
  platform::Hooks hooks = FaultInjectingBackend::Hooks(disk);
  hooks.windows_folder = [this] { return dir_.Path("state/Tamrel"); };
  platform::Scope scope(hooks);
  Put(kClean, kBackup);

  const tool::ParseResult parsed = tool::ParseCommandLine({"set", file_, "Setup", "Port", "COM5"});
  ASSERT_TRUE(parsed.invocation.has_value());
  std::ostringstream unseen, out, err;
  auto host = std::make_shared<tool::ConsoleHost>(nullptr, unseen);
  EXPECT_EQ(tool::RunCommand(*parsed.invocation, host, out, err), 3);
  EXPECT_NE(err.str().find("is held by another program"), std::string::npos) << err.str();
  EXPECT_EQ(TempDir::ReadFile(file_), kClean);
}

}  // namespace
}  // namespace tamrel::testing
