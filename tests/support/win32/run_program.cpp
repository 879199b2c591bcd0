#include "support/run_program.hpp"

#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <optional>

#include "support/win32/wide.hpp"

namespace tamrel::testing {
namespace {

// `arg` quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');  // before the closing quote
  return quoted + L"\"";
}

SECURITY_ATTRIBUTES Inheritable() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

HANDLE OpenForChild(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES attributes = Inheritable();
  return CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The write end of a pipe whose read end is closed: every write fails.
HANDLE BrokenPipe() {
  SECURITY_ATTRIBUTES attributes = Inheritable();
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &attributes, 0)) return INVALID_HANDLE_VALUE;
  CloseHandle(read);
  return write;
}

// Sets variables for the lifetime of the scope (CreateProcessW hands this
// process's environment on), then puts the old values back.
class EnvironmentScope {
 public:
  explicit EnvironmentScope(const EnvironmentChanges& changes) {
    for (const auto& [name, value] : changes) {
      const std::wstring wide_name = Wide(name);
      wchar_t old[32768];
      const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), old, 32768);
      saved_.emplace_back(wide_name, length > 0
                                         ? std::optional<std::wstring>(std::wstring(old, length))
                                         : std::nullopt);
      SetEnvironmentVariableW(wide_name.c_str(), Wide(value).c_str());
    }
  }
  ~EnvironmentScope() {
    for (const auto& [name, value] : saved_) {
      SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
    }
  }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved_;
};

}  // namespace

const char kUnwritableOutput[] = "";

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string>& args,
                               const EnvironmentChanges& environment, const std::string& out_path,
                               const std::string& err_path) {
  const HANDLE input = OpenForChild("NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE output =
      out_path.empty() ? BrokenPipe() : OpenForChild(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE error = OpenForChild(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  std::wstring command_line = Quoted(Wide(program));
  for (const std::string& arg : args) command_line += L" " + Quoted(Wide(arg));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  EnvironmentScope scope(environment);
  // Under Wine a process start now and then fails for a moment when the
  // machine is busy; a few tries tell that from a program that cannot start.
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(Wide(program).c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &process) != 0;
  }
  for (HANDLE handle : {input, output, error}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);  // the program has its own
  }
  if (!started) return;
  CloseHandle(process.hThread);
  process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
}

int StartedProgram::Wait() {
  if (!started()) return -1;
  const HANDLE process = reinterpret_cast<HANDLE>(process_);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  process_ = kNone;
  return static_cast<int>(code);
}

bool StartedProgram::Kill() {
  if (!started()) return false;
  const HANDLE process = reinterpret_cast<HANDLE>(process_);
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  if (running) TerminateProcess(process, 9);
  Wait();
  return running;
}

std::string ThisProgram() {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  return Narrow(program);
}

ProgramFolders IsolatedFolders(const std::string& state, const std::string&, const std::string&) {
  wchar_t roaming[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
  return {{{"LOCALAPPDATA", state}}, Narrow(roaming), state + "\\Tamrel"};
}

}  // namespace tamrel::testing
