// Runs a fuzz target over files and folders of inputs, for compilers
// without libFuzzer: `<target> corpus-folder-or-file...`. Exits non-zero when
// an argument cannot be read; a failing input aborts inside the target.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path argument(argv[i]);
    std::error_code error;
    if (!fs::is_directory(argument, error) && !fs::is_regular_file(argument, error)) {
      std::cerr << "cannot read " << argument << "\n";
      return 2;
    }
    if (fs::is_regular_file(argument, error)) RunFile(argument), ++inputs;
    for (const auto& entry : fs::recursive_directory_iterator(argument, error)) {
      if (entry.is_regular_file()) RunFile(entry.path()), ++inputs;
    }
  }
  std::cout << inputs << " inputs replayed\n";
  return 0;
}
