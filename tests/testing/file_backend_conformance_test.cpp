// One story of file operations, told to the in-memory disk and to the
// native backend in a temporary folder: each step must give both the
// outcome the table expects. The steps go to the backend, to
// FileSystemObject over it, and through fault injection over it, so that a
// host's test on the in-memory disk meets what its program meets on disk.
#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

#ifdef _WIN32  // attributes: read-only, none, hidden (a mark a rewrite keeps)
constexpr uint32_t kReadOnly = 0x1, kWritable = 0, kMark = 0x2, kMarkMask = 0x2;
#else
constexpr uint32_t kReadOnly = 0444, kWritable = 0644, kMark = 0640, kMarkMask = 07777;
#endif

// Tells the story's commands to one backend, in a folder of its own. A
// command is a verb and its words; paths are below the folder, "~" is the
// file the last "new" made.
class Teller {
 public:
  Teller(std::shared_ptr<platform::FileBackend> backend, std::string base)
      : backend_(std::move(backend)), base_(std::move(base)) {}

  // What the command gives: its result, "ok", or "error N".
  std::string Tell(const std::string& command) {
    std::istringstream in(command);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    w.resize(std::max<std::size_t>(w.size(), 4));
    try {
      return Run(w, command);
    } catch (const Error& error) {
      return "error " + std::to_string(error.number());
    }
  }

 private:
  std::string P(std::string name) const {
    if (name == "~") return temp_;
    std::replace(name.begin(), name.end(), '/', kPathSeparator);
    return base_ + kPathSeparator + name;
  }
  // The files in `folder`, sorted; "~" for the file the last "new" made.
  std::string Files(const std::string& folder) const {
    std::vector<std::string> names = backend_->ListFiles(P(folder));
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names)
      text += (text.empty() ? "" : " ") + (P(folder + "/" + name) == temp_ ? "~" : name);
    return text;
  }
  template <class Call>
  static std::string Ok(Call call) {
    call();
    return "ok";
  }

  std::string Run(const std::vector<std::string>& w, const std::string& command) {
    static const char* const kKinds[] = {"missing", "file", "folder", "other"};
    platform::FileBackend& disk = *backend_;
    FileSystemObject fso(backend_);
    const std::string& verb = w[0];
    const std::string a = P(w[1]), b = P(w[2]);
    if (verb == "kind") return kKinds[static_cast<int>(disk.Kind(a))];
    if (verb == "ls") return Files(w[1]);
    if (verb == "read") return disk.ReadFile(a);
    if (verb == "read?") return disk.ReadFileIfExists(a).value_or("(none)");
    if (verb == "new") {  // a new file in the folder w[1] named after the prefix w[2]
      open_ = disk.CreateTempFile(a, w[2], temp_, {});
      return temp_.starts_with(P(w[1] + "/" + w[2])) ? Files(w[1]) : temp_;
    }
    if (verb == "same") return disk.Status(a).node == disk.Status(b).node ? "same" : "not same";
    if (verb == "ro" || verb == "rw") {
      disk.SetPermissions(a, verb == "ro" ? kReadOnly : kWritable);
      return disk.Status(a).read_only ? "read-only" : "writable";
    }
    if (verb == "marked") return (disk.Status(a).permissions & kMarkMask) == kMark ? "yes" : "no";
    if (verb == "dates") {
      return fso.GetFile(a).DateLastModified() == fso.GetFile(b).DateLastModified() ? "same"
                                                                                    : "not same";
    }
    if (verb == "fail") {  // fail OP NUMBER COMMAND...: the command with the call OP failing
      static const std::map<std::string, FileOp> kOps = {{"create", FileOp::kCreateTempFile},
                                                         {"append", FileOp::kAppend},
                                                         {"sync", FileOp::kSync},
                                                         {"close", FileOp::kClose},
                                                         {"replace", FileOp::kReplace},
                                                         {"syncdir", FileOp::kSyncFolder}};
      auto faults = std::make_shared<FaultInjectingBackend>(backend_);
      faults->FailTimes(kOps.at(w[1]), 1, std::stoi(w[2]));
      const std::size_t rest = command.find(w[3], command.find(w[2]) + w[2].size());
      return Teller(faults, base_).Tell(command.substr(rest));
    }
    if (verb == "mkdir") return Ok([&] { disk.CreateFolder(a); });
    if (verb == "write") {  // to the new file: w[1], then w[2]; flushed and closed
      open_->Append(w[1]);
      open_->Append(w[2]);
      open_->Sync();
      return Ok([&] { open_->Close(); });
    }
    if (verb == "rename") return Ok([&] { disk.Rename(a, b); });
    if (verb == "replace") return Ok([&] { disk.Replace(a, b); });
    if (verb == "link") return Ok([&] { disk.HardLink(a, b); });
    if (verb == "rm") return Ok([&] { disk.RemoveFile(a); });
    if (verb == "mark") return Ok([&] { disk.SetPermissions(a, kMark); });
    if (verb == "date") return Ok([&] { disk.SetModified(a, std::stod(w[2])); });
    if (verb == "sync") return Ok([&] { disk.SyncFolder(a); });
    if (verb == "lock") return Ok([&] { locks_.push_back(disk.Lock(a, 0, 0600)); });
    if (verb == "unlock") return Ok([&] { locks_.clear(); });
    if (verb == "create" || verb == "save" || verb == "add" || verb == "unclosed") {
      TextStream out = verb == "create" ? fso.CreateTextFile(a)
                       : verb == "add"  ? fso.GetFile(a).OpenAsTextStream(IOMode::ForAppending)
                                        : fso.GetFile(a).OpenAsTextStream(IOMode::ForWriting);
      verb == "add" ? out.WriteLine(w[2]) : out.Write(w[2]);
      if (verb != "unclosed") out.Close();
      return "ok";
    }
    if (verb == "name") return Ok([&] { fso.GetFile(a).Name(w[2]); });
    if (verb == "delete") return Ok([&] { fso.GetFile(a).Delete(w[2] == "force"); });
    if (verb == "copy") return Ok([&] { fso.GetFile(a).Copy(b, w[3] != "keep"); });
    return "unknown command";
  }

  std::shared_ptr<platform::FileBackend> backend_;
  std::string base_;
  std::unique_ptr<platform::WritableFile> open_;
  std::string temp_ = "(none made)";
  std::vector<std::unique_ptr<platform::FileLock>> locks_;
};

struct Step {
  const char* command;
  const char* expected;
};

// clang-format off
const Step kStory[] = {
    {"mkdir a", "ok"}, {"mkdir a", "error 58"}, {"mkdir x/y", "error 76"},
    {"kind a", "folder"}, {"kind x", "missing"}, {"ls a", ""}, {"ls x", "error 76"},
    // A new file: in its folder, named after its prefix; written, put in place.
    {"new x tmp.", "error 76"}, {"new a tmp.", "~"}, {"write hello world", "ok"},
    {"read ~", "helloworld"}, {"replace ~ a/one", "ok"}, {"ls a", "one"},
    {"read? a/one", "helloworld"}, {"read? a/no", "(none)"}, {"read? x/no", "(none)"},
    {"read? a", "(none)"}, {"read a/no", "error 53"}, {"read a", "error 70"},
    {"mkdir a/one", "error 58"}, {"mkdir a/sub", "ok"}, {"ls a", "one"},
    {"link a/one a/two", "ok"}, {"link a/one a/two", "error 58"}, {"same a/one a/two", "same"},
    {"read a/two", "helloworld"},
    {"rename a/no a/three", "error 53"}, {"rename a/two a/three", "ok"}, {"ls a", "one three"},
    {"mkdir b", "ok"}, {"new b tmp.", "~"}, {"write other", "ok"}, {"replace ~ a/three", "ok"},
    {"ls b", ""}, {"read a/three", "other"}, {"read a/one", "helloworld"},
    {"rename a/one a/three", "error 58"}, {"read a/three", "other"},
    {"rm a/three", "ok"}, {"rm a/three", "error 53"}, {"rm a/sub", "error 70"}, {"ls a", "one"},
    // A read-only file is removed all the same.
    {"ro a/one", "read-only"}, {"rw a/one", "writable"}, {"ro a/one", "read-only"},
    {"rm a/one", "ok"}, {"kind a/one", "missing"},
    {"date a/no 1", "error 53"}, {"rw a/no", "error 53"}, {"sync a", "ok"}, {"sync x", "error 76"},
    // A lock is taken once; letting go leaves no lock file.
    {"lock a/setup.lock", "ok"}, {"kind a/setup.lock", "file"}, {"lock a/setup.lock", "error 70"},
    {"unlock", "ok"}, {"kind a/setup.lock", "missing"},
    {"lock x/setup.lock", "error 76"},
    {"lock a/sub", "error 75"},
    // Writing takes effect at Close and keeps the file's mark.
    {"create a/setup old", "ok"}, {"unclosed a/setup lost", "ok"}, {"read a/setup", "old"},
    {"add a/setup er", "ok"}, {"read a/setup", "older\r\n"}, {"mark a/setup", "ok"},
    {"save a/setup new", "ok"}, {"marked a/setup", "yes"}, {"read a/setup", "new"},
    // A rename stays in the folder and never replaces.
    {"create a/other x", "ok"}, {"name a/other setup", "error 58"}, {"name a/other setup.bak", "ok"},
    {"ls a", "setup setup.bak"},
    // A copy keeps the name and the date; it replaces only when asked to.
    {"date a/setup.bak 45356.5", "ok"}, {"copy a/setup.bak b/", "ok"}, {"read b/setup.bak", "x"},
    {"dates a/setup.bak b/setup.bak", "same"}, {"copy a/setup b/setup.bak keep", "error 58"},
    // A read-only file is neither deleted nor rewritten, unless by force.
    {"ro a/setup", "read-only"}, {"delete a/setup", "error 70"}, {"save a/setup lost", "error 70"},
    {"copy a/setup.bak a/setup", "error 70"}, {"read a/setup", "new"},
    {"delete a/setup force", "ok"}, {"ls a", "setup.bak"},
    // A rewrite fails at any step before the replacement with the old text in
    // place and no new file left; a failed flush of the folder after it is reported.
    {"create a/setup old", "ok"},
    {"fail create 70 save a/setup new", "error 70"}, {"fail append 61 save a/setup new", "error 61"},
    {"fail sync 57 save a/setup new", "error 57"}, {"fail close 61 save a/setup new", "error 61"},
    {"fail replace 70 save a/setup new", "error 70"}, {"fail append 61 copy b/setup.bak a/setup", "error 61"},
    {"ls a", "setup setup.bak"}, {"read a/setup", "old"},
    {"fail syncdir 57 save a/setup new", "error 57"}, {"read a/setup", "new"},
};
// clang-format on

// The in-memory disk; the native backend; the native backend through a
// wrapper (fault injection with no faults), which must hand on every call
// and its arguments unchanged.
class FileBackendConformanceTest : public ::testing::TestWithParam<const char*> {
 protected:
  Teller Make() {
    const std::string base = Utf8Text(tmp_.path());
    const std::string backend = GetParam();
    if (backend == "Native") return Teller(platform::NativeFileBackend(), base);
    if (backend == "Wrapped") return Teller(std::make_shared<FaultInjectingBackend>(), base);
    auto disk = std::make_shared<MemoryDisk>();
    disk->PutFolder(base);
    return Teller(disk, base);
  }
  TempDir tmp_;
};

TEST_P(FileBackendConformanceTest, EveryStepHasTheExpectedOutcome) {
  Teller teller = Make();
  for (const Step& step : kStory)
    EXPECT_EQ(teller.Tell(step.command), step.expected) << step.command;
}

INSTANTIATE_TEST_SUITE_P(Backends, FileBackendConformanceTest,
                         ::testing::Values("Memory", "Native", "Wrapped"),
                         [](const auto& p) { return std::string(p.param); });

}  // namespace
}  // namespace tamrel::testing
