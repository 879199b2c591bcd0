// A save and load round trip through the installed library, and an error the
// library raises caught by the program (across the DLL boundary when the
// library is a DLL); exits with 0 only when both hold.
#include <cstdio>
#include <memory>
#include <string>

#include "quiet_host.hpp"
#include "tamrel/tamrel.hpp"

namespace {

// The error number of CreateObject for a name it does not know, 0 when no
// tamrel::Error reaches the caller.
int32_t UnknownObjectError() {
  try {
    tamrel::CreateObject("Tamrel.NoSuchClass");
  } catch (const tamrel::Error& error) {
    return error.number();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (UnknownObjectError() != tamrel::errc::kCannotCreateObject) return 1;
  const std::string file = argv[1];
  auto host = std::make_shared<QuietHost>();
  auto saved = std::make_shared<tamrel::ContextCls>();
  saved->SetApplicationContext(host);
  saved->Add("Window", "Left", tamrel::Variant(int32_t{120}));
  saved->Add("Recent", "File", tamrel::Variant("a&b.txt"));
  if (!saved->Save(file)) return 1;

  auto loaded =
      std::dynamic_pointer_cast<tamrel::ContextCls>(tamrel::CreateObject("Tamrel.ContextCls"));
  loaded->SetApplicationContext(host);
  if (!loaded->Load(file)) return 1;
  const std::string left = tamrel::CStr(loaded->Value("Window", "Left"));
  const std::string recent = tamrel::CStr(loaded->Value("Recent", "File"));
  std::printf("%s %s\n", left.c_str(), recent.c_str());
  return left == "120" && recent == "a&b.txt" && !host->failed ? 0 : 1;
}
