// TempDir: a fresh folder for one test, removed with everything in it when
// the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace tamrel::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // path() / name, as text.
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  // Writes `content` to path() / name, creating parent folders.
  std::string WriteFile(const std::string& name, const std::string& content) const;
  // The whole content of a file ("" when it cannot be read).
  static std::string ReadFile(const std::string& path);

 private:
  std::filesystem::path path_;
};

}  // namespace tamrel::testing
