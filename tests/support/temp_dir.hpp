// TempDir: a fresh folder for one test, removed with everything in it when
// the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace tamrel::testing {

// A path given as the library's UTF-8 text, for the standard library's file
// calls (which would read a narrow string in the system's code page).
inline std::filesystem::path Utf8Path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// A path as the library's UTF-8 text.
inline std::string Utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class TempDir {
 public:
  TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("tamrel-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder could be made");
  }
  ~TempDir() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    // Read-only files and folders made by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // path() / name as UTF-8 text, "/" in `name` written as the platform's
  // separator.
  std::string Path(const std::string& name) const { return Utf8Text(Native(name)); }
  // Writes `content` to path() / name, creating parent folders.
  std::string WriteFile(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories(Native(name).parent_path());
    std::ofstream(Native(name), std::ios::binary | std::ios::trunc) << content;
    return Path(name);
  }
  // Every file below path() as (path relative to it, written with "/") ->
  // content: what a test compares before and after a run.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
      if (!entry.is_regular_file()) continue;
      const std::u8string name = std::filesystem::relative(entry.path(), path_).generic_u8string();
      files[std::string(name.begin(), name.end())] = ReadFile(Utf8Text(entry.path()));
    }
    return files;
  }
  // The whole content of a file ("" when it cannot be read).
  static std::string ReadFile(const std::string& path) {
    std::ostringstream text;
    if (std::ifstream in{Utf8Path(path), std::ios::binary}) text << in.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path Native(const std::string& name) const {
    return (path_ / Utf8Path(name)).make_preferred();
  }

  std::filesystem::path path_;
};

}  // namespace tamrel::testing
