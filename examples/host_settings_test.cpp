// A host's own test of its settings code against power cuts and a full disk,
// on the in-memory disk of tamrel::testing: no root, no loop device, no real
// disk to fill. The disk keeps only what was flushed, and cuts the power by
// counting file-system calls, so the test can cut it before each call of a
// Save in turn.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tamrel/tamrel.hpp"
#include "tamrel/testing.hpp"

namespace {

using tamrel::platform::Hooks;
using tamrel::platform::Scope;
using tamrel::testing::FaultInjectingBackend;
using tamrel::testing::MemoryDisk;

const std::string kSettings = "/home/ana/.config/Plan/Settings.tmc";

// A host that shows nothing: failures reach the test as Save's result.
class SilentHost : public tamrel::HostApplication {
 public:
  void WriteLog(const std::string&) override {}
  void WriteDetail(const std::string&) override {}
  void RegisterError(const std::string&, const std::string&) override {}
  tamrel::Variant HandleError(bool, bool, bool) override { return {}; }
  void GetErrorText(std::string& text) override { text = tamrel::CurrentError().description; }
  tamrel::Variant ShowMessage(const std::string&, int16_t, const std::string&, const std::string&,
                              int32_t) override {
    return {};
  }
};

// The host's settings code under test: the width of its window.
std::shared_ptr<tamrel::ContextCls> LoadSettings() {
  auto settings = std::make_shared<tamrel::ContextCls>();
  settings->SetApplicationContext(std::make_shared<SilentHost>());
  settings->Load(kSettings);
  return settings;
}
bool SaveWidth(int32_t width) {
  auto settings = LoadSettings();
  settings->Value("Window", "Width", tamrel::Variant(width));
  return settings->Save(kSettings);
}
std::string LoadedWidth() { return tamrel::CStr(LoadSettings()->Value("Window", "Width")); }

// The disk as the host's file system, with the folder backup copies go to.
Hooks On(std::shared_ptr<MemoryDisk> disk) {
  Hooks hooks = MemoryDisk::Hooks(std::move(disk));
  hooks.windows_folder = [] { return std::string("/var/backup"); };
  return hooks;
}

// A disk on which an earlier run saved the width 800.
std::shared_ptr<MemoryDisk> DiskWithWidth800() {
  auto disk = std::make_shared<MemoryDisk>();
  disk->PutFolder("/home/ana/.config/Plan");
  disk->PutFolder("/var/backup");
  Scope scope(On(disk));
  EXPECT_TRUE(SaveWidth(800));
  return disk;
}

TEST(HostSettingsTest, APowerCutAnywhereInASaveLeavesTheOldWidthOrTheNew) {
  for (int cut = 0;; ++cut) {
    auto disk = DiskWithWidth800();
    Scope scope(On(disk));
    disk->CutPowerAtCall(cut);
    const int before = disk->calls();
    SaveWidth(1024);
    const bool cut_came = disk->calls() - before > cut;
    disk->Reboot();
    if (!cut_came) {
      EXPECT_EQ(LoadedWidth(), "1024");
      break;
    }
    const std::string width = LoadedWidth();
    EXPECT_TRUE(width == "800" || width == "1024") << "power cut before call " << cut;
  }
}

TEST(HostSettingsTest, AFullDiskFailsTheSaveAndKeepsTheOldWidth) {
  auto disk = DiskWithWidth800();
  Scope scope(On(disk));
  auto full = std::make_shared<FaultInjectingBackend>(disk);
  full->FailTimes(tamrel::testing::FileOp::kAppend, 1, tamrel::errc::kDiskFull);
  {
    Scope full_disk(FaultInjectingBackend::Hooks(full));
    EXPECT_FALSE(SaveWidth(1024));
  }
  EXPECT_EQ(LoadedWidth(), "800");
}

}  // namespace
