// The README's table of bad input, where only the tool's own commands can
// show it: a garbage file under a write command, a folder where a file is
// expected, a read-only file, a full disk, a file held by another program
// and a missing folder (a file of 50 MB: the library's tests). Each row: a
// clear message, its exit status, and nothing lost (the user's files as
// they were, or set aside under a new name).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "commands.hpp"
#include "console_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::string kGood = "<context><Setup id=\"Port\" instance=\"1\">COM1</Setup>\r\n</context>";

std::string Garbage() {
  std::string bytes;
  for (int i = 0; i < 512; ++i) bytes += static_cast<char>((i * 37 + 11) % 256);
  return bytes;
}

class BadInput : public ::testing::Test {
 protected:
  BadInput() : scope_(Hooks()) { fs::create_directories(dir_.path() / "state"); }

  platform::Hooks Hooks() {
    platform::Hooks hooks = FaultInjectingBackend::Hooks(disk_);
    hooks.windows_folder = [folder = dir_.Path("state")] { return folder; };
    return hooks;
  }

  struct Outcome {
    int status;
    std::string out, err;
  };
  Outcome Run(const std::vector<std::string>& args) {
    const tool::ParseResult parsed = tool::ParseCommandLine(args);
    EXPECT_TRUE(parsed.invocation.has_value()) << parsed.error;
    if (!parsed.invocation) return {-1, "", ""};
    std::ostringstream messages, out, err;
    auto host = std::make_shared<tool::ConsoleHost>(nullptr, messages);
    const int status = tool::RunCommand(*parsed.invocation, host, out, err);
    return {status, out.str(), err.str()};
  }

  TempDir dir_;
  std::shared_ptr<FaultInjectingBackend> disk_ = std::make_shared<FaultInjectingBackend>();
  platform::Scope scope_;
  const std::string file_ = dir_.Path("Prefs.tmc");
};

TEST_F(BadInput, EachRowOfTheTableGivesItsMessageAndStatusAndLosesNothing) {
  const auto unchanged = [](Files f) { return f; };
  const struct Row {
    const char* what;
    std::function<void()> prepare;
    std::string message;  // on standard error
    // The files afterwards, given those before.
    std::function<Files(Files)> expected_files;
  } rows[] = {
      {"garbage", [&] { dir_.WriteFile("Prefs.tmc", Garbage()); },
       "the damaged file is kept as " + file_ + "_corrupt(1)",
       [](Files f) {
         f["Prefs.tmc_corrupt(1)"] = f["Prefs.tmc"];
         f.erase("Prefs.tmc");
         return f;
       }},
      {"a folder where the file is expected", [&] { fs::create_directory(file_); },
       file_ + " is a folder", unchanged},
      {"a read-only file",
       [&] {
         dir_.WriteFile("Prefs.tmc", kGood);
         dir_.WriteFile("state/Prefs.tmc", kGood);
         fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read);
       },
       "cannot save " + file_ + ": ", unchanged},
      {"a full disk",
       [&] {
         dir_.WriteFile("Prefs.tmc", kGood);
         disk_->FailTimes(FileOp::kAppend, 1, errc::kDiskFull);
       },
       "(error 61)", unchanged},
      {"a file held by another program",
       [&] {
         dir_.WriteFile("Prefs.tmc", kGood);
         disk_->FailTimes(FileOp::kLock, 1, errc::kPermissionDenied);
       },
       "is held by another program", unchanged},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(dir_.path());
    fs::create_directories(dir_.path() / "state");
    row.prepare();
    const Files before = dir_.Files();
    const Outcome outcome = Run({"set", file_, "Setup", "Port", "COM2"});
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    EXPECT_NE(outcome.err.find(row.message), std::string::npos) << outcome.err;
    EXPECT_EQ(dir_.Files(), row.expected_files(before));
    fs::permissions(dir_.path(), fs::perms::owner_all, fs::perm_options::add);
    if (fs::exists(file_)) fs::permissions(file_, fs::perms::owner_all, fs::perm_options::add);
  }
}

TEST_F(BadInput, AMissingFolderIsNoFileAndIsNotMade) {
  // Neither a reading command nor one that writes only to an existing file
  // makes the folder.
  const std::string missing = dir_.Path("no/such/Prefs.tmc");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"get", missing, "Setup", "Port"}, {"repair", missing}}) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1) << args[0];
    EXPECT_NE(outcome.err.find("no such context file"), std::string::npos) << outcome.err;
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "no"));
}

}  // namespace
}  // namespace tamrel::testing
