// The crash test on Windows: the saver is this test program started again
// with TAMREL_SAVER_PATH set, ended with TerminateProcess at a random moment
// after it has saved once.
#include <windows.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "persist/killed_saver.hpp"
#include "support/win32/wide.hpp"
#include "tamrel/backup_copy.hpp"

namespace tamrel::testing {
namespace {

constexpr wchar_t kSaverPath[] = L"TAMREL_SAVER_PATH";
constexpr wchar_t kSaverReady[] = L"TAMREL_SAVER_READY";

std::wstring Variable(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// In the saver process, before any test runs: saves once, says so through
// the named event, then saves on until it is ended.
const bool kRanAsSaver = [] {
  const std::wstring path = Variable(kSaverPath);
  if (path.empty()) return false;
  auto saver = std::make_shared<ContextCls>();
  saver->SetApplicationContext(std::make_shared<DiscardingHost>());
  Fill(*saver, Version('a'));
  if (!saver->Save(Narrow(path))) ExitProcess(3);
  if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, Variable(kSaverReady).c_str())) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  SaveVersionsInTurn(Narrow(path));
  ExitProcess(3);
  return true;
}();

// A running saver process and the event it sets once it has saved.
class Saver {
 public:
  Saver(const std::string& path, int number) {
    const std::wstring ready_name = L"TamrelSaverReady-" + std::to_wstring(GetCurrentProcessId()) +
                                    L"-" + std::to_wstring(number);
    ready_ = CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str());
    SetEnvironmentVariableW(kSaverPath, Wide(path).c_str());
    SetEnvironmentVariableW(kSaverReady, ready_name.c_str());
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command_line = L"\"" + std::wstring(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_) != 0;
    SetEnvironmentVariableW(kSaverPath, nullptr);
    SetEnvironmentVariableW(kSaverReady, nullptr);
  }
  ~Saver() {
    if (started_) {
      TerminateProcess(process_.hProcess, 9);
      WaitForSingleObject(process_.hProcess, INFINITE);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    if (ready_ != nullptr) CloseHandle(ready_);
  }
  Saver(const Saver&) = delete;
  Saver& operator=(const Saver&) = delete;

  bool started() const { return started_; }
  bool WaitUntilSaved() const { return WaitForSingleObject(ready_, 30000) == WAIT_OBJECT_0; }
  // Ends the saver where it is; false when it had ended by itself.
  bool Terminate() const {
    DWORD code = 0;
    if (GetExitCodeProcess(process_.hProcess, &code) && code != STILL_ACTIVE) return false;
    TerminateProcess(process_.hProcess, 9);
    WaitForSingleObject(process_.hProcess, INFINITE);
    return true;
  }

 private:
  HANDLE ready_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

TEST_F(PersistTest, KilledSaverNeverLeavesATornFile) {
  ASSERT_FALSE(kRanAsSaver);
  const std::string path = dir_.Path("Crash.tmc");
  // The saver's backup copies go below its %LOCALAPPDATA%.
  platform::Hooks saver_folders;
  saver_folders.windows_folder = [&] { return dir_.Path("Tamrel"); };
  const std::string backup = [&] {
    platform::Scope scope(saver_folders);
    return BackupCopyPath(path);
  }();
  SetEnvironmentVariableW(L"LOCALAPPDATA", Wide(dir_.Path("")).c_str());
  std::mt19937 random(12345);
  // A fixed number of kills, each one checked: how many would fit in a time
  // depends on the machine, and starting a process costs far more here than a
  // fork does on POSIX.
  constexpr int kKills = 20;
  for (int kills = 0; kills < kKills; ++kills) {
    Saver saver(path, kills);
    ASSERT_TRUE(saver.started());
    ASSERT_TRUE(saver.WaitUntilSaved()) << "the saver did not save, run " << kills + 1;
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
    ASSERT_TRUE(saver.Terminate()) << "the saver stopped by itself, run " << kills + 1;
    ASSERT_TRUE(LoadsWhole(path)) << "main copy, after kill " << kills + 1;
    ASSERT_TRUE(LoadsWhole(backup)) << "backup copy, after kill " << kills + 1;
  }
}

}  // namespace
}  // namespace tamrel::testing
