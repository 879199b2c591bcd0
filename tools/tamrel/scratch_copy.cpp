#include "scratch_copy.hpp"

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "tamrel/backup_copy.hpp"
#include "utf8_path.hpp"

namespace tamrel::tool {
namespace {

namespace fs = std::filesystem;

// A new folder of its own in the temporary folder, readable by the user
// alone (the copies hold the user's settings).
std::string MakePrivateFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path folder = fs::temp_directory_path() / ("tamrel-read-" + std::to_string(random()));
    if (fs::create_directory(folder)) {
      fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
      return TextOf(folder);
    }
  }
  throw fs::filesystem_error("cannot make a scratch folder", fs::temp_directory_path(),
                             std::make_error_code(std::errc::file_exists));
}

// A copy that keeps the date, which Load's messages show.
void CopyDated(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to);
  fs::last_write_time(to, fs::last_write_time(from));
}

}  // namespace

ScratchCopy::ScratchCopy(const std::string& file, const std::string& backup)
    : folder_(MakePrivateFolder()), backup_folder_(TextOf(PathOf(folder_) / "backup")) {
  try {
    const fs::path name = PathOf(file).filename();
    file_ = TextOf(PathOf(folder_) / name);
    fs::create_directory(PathOf(backup_folder_));
    CopyDated(PathOf(file), PathOf(file_));
    std::error_code missing;
    if (fs::is_regular_file(PathOf(backup), missing)) {
      // Where Load looks for the backup copy of the scratch copy.
      platform::Scope scratch(Hooks());
      CopyDated(PathOf(backup), PathOf(BackupCopyPath(file_)));
    }
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(PathOf(folder_), ignored);
    throw;
  }
}

ScratchCopy::~ScratchCopy() {
  std::error_code ignored;
  fs::remove_all(PathOf(folder_), ignored);
}

platform::Hooks ScratchCopy::Hooks() const {
  platform::Hooks hooks;
  hooks.windows_folder = [folder = backup_folder_] { return folder; };
  return hooks;
}

}  // namespace tamrel::tool
