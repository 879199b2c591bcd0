// Folder services of the Windows shell. Backup copies go to a per-user state
// folder, %LOCALAPPDATA%\Tamrel: the system folder that the name "Windows
// folder" suggests is not writable for a standard user.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <random>
#include <string>

#include "platform/native.hpp"
#include "platform/win32/utf16.hpp"
#include "tamrel/error.hpp"

namespace tamrel::platform::native {
namespace {

constexpr int32_t kCsidlLocalAppData = 0x001c;

// Whether SHGetFolderPathW's answer says the folder is known but missing on
// disk: the path it filled in is still the folder's (a new profile has no
// roaming folder until something is written there).
bool IsKnownButMissing(HRESULT result) {
  return result == S_FALSE || result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
         result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// A shell folder by number, without creating it (no CSIDL_FLAG_CREATE: the
// caller makes what it needs, every missing level, as on POSIX); "" when
// Windows does not know the number.
std::string ShellFolder(int32_t csidl) {
  wchar_t path[MAX_PATH] = {};
  const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  if (result != S_OK && !(IsKnownButMissing(result) && path[0] != L'\0')) return "";
  return Utf8(path);
}

std::string Environment(const wchar_t* name) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return "";
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
  value.resize(length < needed ? length : 0);
  return Utf8(value);
}

// Creates `path` and its missing parents; true when it is a folder after.
bool MakeFolders(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const auto separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos && separator > 0 && path[separator - 1] != L':' &&
      !MakeFolders(path.substr(0, separator))) {
    return false;
  }
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// %LOCALAPPDATA% is read at each call, as the POSIX folders follow
// XDG_STATE_HOME, so that a host or a test can redirect it. A folder that
// cannot be made is still named, so that writing there fails with a path
// error instead of going somewhere else.
std::string WindowsFolder() {
  std::string local = Environment(L"LOCALAPPDATA");
  if (local.empty()) local = ShellFolder(kCsidlLocalAppData);
  if (local.empty()) return "";
  if (local.back() != '\\' && local.back() != '/') local += '\\';
  const std::string folder = local + "Tamrel";
  try {
    MakeFolders(WidePath(folder));
  } catch (const Error&) {
    // An unusable name: the first write there reports it.
  }
  return folder;
}

std::string LongPath(const std::string& path) {
  std::wstring wide;
  try {
    wide = WidePath(path);
  } catch (const Error&) {
    return "";
  }
  DWORD needed = GetLongPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return "";
  std::wstring long_path(needed, L'\0');
  const DWORD length = GetLongPathNameW(wide.c_str(), long_path.data(), needed);
  if (length == 0 || length >= needed) return "";
  long_path.resize(length);
  return Utf8(long_path);
}

// The folder of the module that holds this code (the DLL, or the program
// the static library is linked into).
std::string LibraryFolder() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&LibraryFolder), &module)) {
    return "";
  }
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return "";
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);
  }
  const auto separator = name.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return ".";
  return Utf8(name.substr(0, separator));
}

// Initializes COM for the chooser's new dialog style, when the thread has not.
class OleScope {
 public:
  OleScope() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleScope() {
    if (initialized_) OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

 private:
  bool initialized_;
};

bool BrowseForFolder(int32_t owner_window, const std::string& title, std::string& folder) {
  OleScope ole;
  const std::wstring wide_title = WideText(title);
  BROWSEINFOW info{};
  info.hwndOwner = reinterpret_cast<HWND>(static_cast<intptr_t>(owner_window));
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return false;  // cancelled
  wchar_t path[MAX_PATH] = {};
  const bool has_path = SHGetPathFromIDListW(chosen, path) != 0;
  CoTaskMemFree(chosen);
  if (!has_path) return false;  // an item without a file-system path
  folder = Utf8(path);
  return true;
}

// Writeable when a probe file can be created there; it is gone when closed.
bool IsFolderWriteable(const std::string& folder, bool) {
  std::wstring probe;
  try {
    probe = WidePath(folder.empty() ? std::string(".") : folder);
  } catch (const Error&) {
    return false;
  }
  if (probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
  std::random_device random;
  probe += L".tamrel-probe-" + std::to_wstring(random());
  HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

}  // namespace

void AddFolderServices(Hooks& hooks) {
  hooks.special_folder = ShellFolder;
  hooks.windows_folder = WindowsFolder;
  hooks.long_path = LongPath;
  hooks.library_folder = LibraryFolder;
  hooks.browse_for_folder = BrowseForFolder;
  hooks.is_folder_writeable = IsFolderWriteable;
  hooks.file_system = MakeFileBackend();
}

}  // namespace tamrel::platform::native
