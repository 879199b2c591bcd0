// A Windows host that includes <windows.h> without NOMINMAX, before the
// library's headers (TAMREL_WINDOWS_H_FIRST) or after them, and uses the
// names its macros would rewrite: the file-system layer (DeleteFile,
// CreateFile and the like are macros there) and ContextCls::min. Built and
// run twice by the Windows leg; exits 0 when every step gives what the
// library promises.
#ifdef TAMREL_WINDOWS_H_FIRST
#include <windows.h>
#endif

#include "tamrel/tamrel.hpp"

#ifndef TAMREL_WINDOWS_H_FIRST
#include <windows.h>
#endif

// MSVC's <windef.h> defines these without NOMINMAX; mingw-w64's spares C++.
#ifndef min
#define min(a, b) (((a) < (b)) ? (a) : (b))
#endif
#ifndef max
#define max(a, b) (((a) > (b)) ? (a) : (b))
#endif

#include <cstdio>
#include <memory>
#include <string>

namespace {

// The file-system layer, through the object a host sees and the backend a
// host may replace: write a file, find it, remove it.
bool FileSystemRoundTrip(const std::string& path) {
  tamrel::FileSystemObject fso;
  tamrel::TextStream stream = fso.CreateTextFile(path, true);
  stream.WriteLine("written");
  stream.Close();
  if (!fso.FileExists(path)) return false;
  std::shared_ptr<tamrel::platform::FileBackend> backend = tamrel::platform::NativeFileBackend();
  if (backend->ReadFile(path).rfind("written", 0) != 0) return false;
  backend->RemoveFile(path);
  return !fso.FileExists(path);
}

bool SmallestOfThree() {
  auto context = std::make_shared<tamrel::ContextCls>();
  const tamrel::VariantArray values(
      {tamrel::Variant(int32_t{7}), tamrel::Variant(int32_t{3}), tamrel::Variant("text")});
  return tamrel::CLng((context->min)(values)) == 3 && min(2, 5) == 2;
}

}  // namespace

// The file it writes and removes, in the folder it runs in: one per build of
// the program, so that both may run at once.
#ifdef TAMREL_WINDOWS_H_FIRST
constexpr const char* kScratchFile = "windows_h_first.txt";
#else
constexpr const char* kScratchFile = "windows_h_last.txt";
#endif

int main() {
  // A Win32 call of the host's own, through a macro of <windows.h>.
  if (GetFileAttributes(TEXT(".")) == INVALID_FILE_ATTRIBUTES) return 2;
  const bool files = FileSystemRoundTrip(kScratchFile);
  const bool smallest = SmallestOfThree();
  std::printf("file system %s, min %s\n", files ? "ok" : "FAILED", smallest ? "ok" : "FAILED");
  return files && smallest ? 0 : 1;
}
