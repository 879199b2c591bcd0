// FileBackendWrapper hands every call to its inner backend, the calls with a
// default included, and FaultInjectingBackend, built on it, does too, and
// fails each call it has a FileOp for before the call reaches the backend.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "automation/error_number.hpp"
#include "tamrel/error.hpp"
#include "tamrel/testing.hpp"

namespace tamrel::testing {
namespace {

// Names each call it takes, and does nothing else.
class RecordingBackend : public platform::FileBackend {
 public:
  using Path = const std::string&;
  platform::FileStatus Status(Path) override { return Took("Status", platform::FileStatus{}); }
  platform::EntryKind Kind(Path) override { return Took("Kind", platform::EntryKind::kFile); }
  std::vector<std::string> ListFiles(Path) override {
    return Took("ListFiles", std::vector<std::string>{});
  }
  void CreateFolder(Path) override { Took("CreateFolder", 0); }
  std::string ReadFile(Path) override { return Took("ReadFile", std::string()); }
  std::optional<std::string> ReadFileIfExists(Path) override {
    return Took("ReadFileIfExists", std::optional<std::string>());
  }
  std::unique_ptr<platform::WritableFile> CreateTempFile(Path, Path, std::string&,
                                                         const platform::NewFileModel&) override {
    return Took("CreateTempFile", nullptr);
  }
  void HardLink(Path, Path) override { Took("HardLink", 0); }
  std::string ResolveLinks(Path) override { return Took("ResolveLinks", std::string()); }
  std::string CanonicalPath(Path) override { return Took("CanonicalPath", std::string()); }
  void SetPermissions(Path, uint32_t) override { Took("SetPermissions", 0); }
  void SetModified(Path, double) override { Took("SetModified", 0); }
  void Rename(Path, Path) override { Took("Rename", 0); }
  void Replace(Path, Path) override { Took("Replace", 0); }
  void RemoveFile(Path) override { Took("RemoveFile", 0); }
  void SyncFolder(Path) override { Took("SyncFolder", 0); }
  std::unique_ptr<platform::FileLock> Lock(Path, double, uint32_t) override {
    return Took("Lock", nullptr);
  }
  std::string taken;

 private:
  template <class Result>
  Result Took(const char* call, Result result) {
    taken += call;
    return result;
  }
};

struct Call {
  const char* name;
  std::optional<FileOp> op;  // what FaultInjectingBackend fails it by
  std::function<void(platform::FileBackend&)> make;
};

const Call kCalls[] = {
    {"Status", FileOp::kStatus, [](auto& b) { b.Status("p"); }},
    {"Kind", FileOp::kStatus, [](auto& b) { b.Kind("p"); }},
    {"ListFiles", FileOp::kListFiles, [](auto& b) { b.ListFiles("p"); }},
    {"CreateFolder", FileOp::kCreateFolder, [](auto& b) { b.CreateFolder("p"); }},
    {"ReadFile", FileOp::kReadFile, [](auto& b) { b.ReadFile("p"); }},
    {"ReadFileIfExists", FileOp::kReadFile, [](auto& b) { b.ReadFileIfExists("p"); }},
    {"CreateTempFile", FileOp::kCreateTempFile,
     [](auto& b) {
       std::string temp;
       b.CreateTempFile("p", "q", temp, {});
     }},
    {"HardLink", FileOp::kHardLink, [](auto& b) { b.HardLink("p", "q"); }},
    {"ResolveLinks", std::nullopt, [](auto& b) { b.ResolveLinks("p"); }},
    {"CanonicalPath", std::nullopt, [](auto& b) { b.CanonicalPath("p"); }},
    {"SetPermissions", FileOp::kSetPermissions, [](auto& b) { b.SetPermissions("p", 0); }},
    {"SetModified", FileOp::kSetModified, [](auto& b) { b.SetModified("p", 0); }},
    {"Rename", FileOp::kRename, [](auto& b) { b.Rename("p", "q"); }},
    {"Replace", FileOp::kReplace, [](auto& b) { b.Replace("p", "q"); }},
    {"RemoveFile", FileOp::kRemoveFile, [](auto& b) { b.RemoveFile("p"); }},
    {"SyncFolder", FileOp::kSyncFolder, [](auto& b) { b.SyncFolder("p"); }},
    {"Lock", FileOp::kLock, [](auto& b) { b.Lock("p", 0, 0); }},
};

TEST(FileBackendWrapperTest, EveryCallReachesTheInnerBackendOrFailsBeforeIt) {
  for (const Call& call : kCalls) {
    auto inner = std::make_shared<RecordingBackend>();
    FileBackendWrapper wrapper(inner);
    call.make(wrapper);
    EXPECT_EQ(inner->taken, call.name) << "through the wrapper";
    inner->taken.clear();
    FaultInjectingBackend faults(inner);
    call.make(faults);
    EXPECT_EQ(inner->taken, call.name) << "through fault injection";
    if (!call.op) continue;
    inner->taken.clear();
    faults.FailTimes(*call.op, 1, errc::kDiskFull);
    EXPECT_EQ(ErrorNumberOf([&] { call.make(faults); }), errc::kDiskFull) << call.name;
    EXPECT_EQ(inner->taken, "") << call.name;
  }
}

}  // namespace
}  // namespace tamrel::testing
