// Message box, message pump, clock, Boolean words and the console of a
// Windows program.
#include <windows.h>
// After <windows.h>, which they need.
#include <fcntl.h>
#include <io.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/native.hpp"
#include "platform/win32/local_time.hpp"
#include "platform/win32/utf16.hpp"

namespace tamrel::platform::native {
namespace {

SYSTEMTIME LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

// The user locale's text for one Boolean, as the automation run-time
// converts it; `fallback` when the conversion fails.
std::string BooleanWord(VARIANT_BOOL value, const char* fallback) {
  BSTR text = nullptr;
  if (FAILED(VarBstrFromBool(value, LOCALE_USER_DEFAULT, VARIANT_LOCALBOOL, &text)) ||
      text == nullptr) {
    return fallback;
  }
  std::string word = Utf8(std::wstring_view(text, SysStringLen(text)));
  SysFreeString(text);
  return word.empty() ? fallback : word;
}

}  // namespace

// The style number is the MB_ flags it equals; the answer is the button.
Variant ShowMessageBox(const std::string& prompt, int16_t style, const std::string& title) {
  const int answer = MessageBoxW(nullptr, WideText(prompt).c_str(), WideText(title).c_str(),
                                 static_cast<UINT>(static_cast<uint16_t>(style)));
  return Variant(static_cast<int16_t>(answer));
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

BooleanWords SystemBooleanWords() {
  return BooleanWords{BooleanWord(VARIANT_TRUE, "True"), BooleanWord(VARIANT_FALSE, "False")};
}

double Now() { return OleDateFromLocalTime(LocalNow()); }

float SecondsSinceMidnight() {
  const SYSTEMTIME now = LocalNow();
  return static_cast<float>(now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond +
                            now.wMilliseconds / 1000.0);
}

}  // namespace tamrel::platform::native

namespace tamrel::platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(native::Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void UseUtf8Console() {
  SetConsoleOutputCP(CP_UTF8);
  std::fflush(stdout);
  std::fflush(stderr);
  // The bytes written are the bytes that arrive: no LF becomes CR LF, so the
  // output is the same as on any other system.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace tamrel::platform
