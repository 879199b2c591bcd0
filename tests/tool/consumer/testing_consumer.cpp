// A program outside the project that tests its settings with the installed
// testing component: a power cut in the middle of a Save on the in-memory
// disk leaves, after the reboot, a file that loads as the old values or the
// new; a full disk fails a Save and keeps the old. Exits with 0 only then.
#include <memory>
#include <string>

#include "quiet_host.hpp"
#include "tamrel/tamrel.hpp"
#include "tamrel/testing.hpp"

namespace {

using tamrel::testing::MemoryDisk;
const std::string kFile = "/app/Settings.tmc";

bool SavePort(const std::string& port) {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<QuietHost>());
  context->Value("Setup", "Port", tamrel::Variant(port));
  return context->Save(kFile);
}

std::string LoadedPort() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<QuietHost>());
  return context->Load(kFile) ? tamrel::CStr(context->Value("Setup", "Port")) : "";
}

}  // namespace

int main() {
  auto disk = std::make_shared<MemoryDisk>();
  disk->PutFolder("/app");
  disk->PutFolder("/backup");
  tamrel::platform::Hooks hooks = MemoryDisk::Hooks(disk);
  hooks.windows_folder = [] { return std::string("/backup"); };
  tamrel::platform::Scope scope(hooks);
  if (!SavePort("COM1")) return 1;
  disk->CutPowerAtCall(4);
  SavePort("COM2");
  disk->Reboot();
  const std::string port = LoadedPort();
  if (port != "COM1" && port != "COM2") return 1;

  auto full = std::make_shared<tamrel::testing::FaultInjectingBackend>(disk);
  full->FailTimes(tamrel::testing::FileOp::kAppend, 1, tamrel::errc::kDiskFull);
  {
    tamrel::platform::Scope full_disk(tamrel::testing::FaultInjectingBackend::Hooks(full));
    if (SavePort("COM3")) return 1;
  }
  return LoadedPort() == port ? 0 : 1;
}
