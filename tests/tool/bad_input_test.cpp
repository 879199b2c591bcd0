// The README's table of bad input, row by row: what the tool does with a
// garbage file, a folder where a file is expected, a missing folder, a
// read-only file, a full disk, a file of 50 MB, nesting too deep and a value
// with a line break. Each row: a clear message, its exit status, and nothing
// lost (the user's files as they were, or set aside under a new name).
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
#include "support/fault_injecting_backend.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

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

std::string TooDeep() {
  constexpr int kDepth = 100000;
  std::string text = "<context>";
  for (int i = 0; i < kDepth; ++i) text += "<a>";
  for (int i = 0; i < kDepth; ++i) text += "</a>";
  return text + "</context>";
}

std::string FiftyMegabytes() {
  return "<context><Big id=\"blob\" instance=\"1\">" + std::string(50 << 20, 'x') +
         "</Big>\r\n</context>";
}

// Every file below `folder` by its path relative to it, written with "/".
Files Snapshot(const fs::path& folder) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::u8string name = fs::relative(entry.path(), folder).generic_u8string();
    files[std::string(name.begin(), name.end())] = TempDir::ReadFile(Utf8Text(entry.path()));
  }
  return files;
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
  const std::string backup = dir_.Path("state/Prefs.tmc");
  const struct Row {
    const char* what;
    std::function<void()> prepare;
    std::vector<std::string> args;
    int status;
    std::string message;  // on standard error; "" for none
    // The files afterwards, given those before.
    std::function<Files(Files)> expected_files;
  } rows[] = {
      {"garbage, read",
       [&] { dir_.WriteFile("Prefs.tmc", Garbage()); },
       {"list", file_},
       3,
       "is damaged and its backup copy",
       [](Files f) { return f; }},
      {"garbage, written",
       [&] { dir_.WriteFile("Prefs.tmc", Garbage()); },
       {"set", file_, "Setup", "Port", "COM2"},
       3,
       "the damaged file is kept as " + file_ + "_corrupt(1)",
       [](Files f) {
         f["Prefs.tmc_corrupt(1)"] = f["Prefs.tmc"];
         f.erase("Prefs.tmc");
         f["Prefs.tmc.lock"] = "";
         return f;
       }},
      {"a folder where the file is expected",
       [&] { fs::create_directory(file_); },
       {"set", file_, "Setup", "Port", "COM2"},
       3,
       file_ + " is a folder",
       [](Files f) { return f; }},
      {"a missing folder, read",
       [] {},
       {"get", dir_.Path("no/such/Prefs.tmc"), "Setup", "Port"},
       1,
       "no such context file",
       [](Files f) { return f; }},
      {"a missing folder, written",
       [] {},
       {"set", dir_.Path("new/folder/Prefs.tmc"), "Setup", "Port", "COM1"},
       0,
       "",
       [&](Files f) {
         f["new/folder/Prefs.tmc"] = kGood;
         f["new/folder/Prefs.tmc.lock"] = "";
         f["state/Prefs.tmc"] = kGood;
         return f;
       }},
      {"a read-only file",
       [&] {
         dir_.WriteFile("Prefs.tmc", kGood);
         dir_.WriteFile("state/Prefs.tmc", kGood);
         fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read);
       },
       {"set", file_, "Setup", "Port", "COM2"},
       3,
       "cannot save " + file_ + ": ",
       [](Files f) {
         f["Prefs.tmc.lock"] = "";
         return f;
       }},
      {"a full disk",
       [&] {
         dir_.WriteFile("Prefs.tmc", kGood);
         disk_->FailTimes(FileOp::kAppend, 1, 61);
       },
       {"set", file_, "Setup", "Port", "COM2"},
       3,
       "(error 61)",
       [](Files f) {
         f["Prefs.tmc.lock"] = "";
         return f;
       }},
      {"a file of 50 MB",
       [&] { dir_.WriteFile("Prefs.tmc", FiftyMegabytes()); },
       {"get", file_, "Big", "blob"},
       0,
       "",
       [](Files f) { return f; }},
      {"nesting too deep",
       [&] { dir_.WriteFile("Prefs.tmc", TooDeep()); },
       {"log", file_},
       3,
       "is damaged and its backup copy",
       [](Files f) { return f; }},
      {"a value with a line break",
       [&] { dir_.WriteFile("Prefs.tmc", kGood); },
       {"set", file_, "Setup", "Port", "COM1\nCOM2"},
       2,
       "the value cannot be kept in a context file",
       [](Files f) { return f; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(dir_.path());
    fs::create_directories(dir_.path() / "state");
    row.prepare();
    const Files before = Snapshot(dir_.path());
    const Outcome outcome = Run(row.args);
    EXPECT_EQ(outcome.status, row.status) << outcome.err;
    if (row.message.empty()) {
      EXPECT_EQ(outcome.err, "");
    } else {
      EXPECT_NE(outcome.err.find(row.message), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(Snapshot(dir_.path()), row.expected_files(before));
    fs::permissions(dir_.path(), fs::perms::owner_all, fs::perm_options::add);
    if (fs::exists(file_)) fs::permissions(file_, fs::perms::owner_all, fs::perm_options::add);
  }
  // A write command on a file in a missing folder that it will not create
  // makes no folder.
  EXPECT_EQ(Run({"repair", dir_.Path("no/such/Prefs.tmc")}).status, 1);
  EXPECT_FALSE(fs::exists(dir_.path() / "no"));
  // The 50 MB value came out whole.
  dir_.WriteFile("Prefs.tmc", FiftyMegabytes());
  EXPECT_EQ(Run({"get", file_, "Big", "blob"}).out.size(), (50u << 20) + 1);
}

}  // namespace
}  // namespace tamrel::testing
