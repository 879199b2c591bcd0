// The generation Save keeps of a file written on an earlier day: made beside
// the file without taking it away.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "persist/file_cycle.hpp"
#include "platform/atomic_file_writer.hpp"
#include "platform/file_paths.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::detail {
namespace {

// Digits of the largest 32-bit number.
constexpr std::size_t kMostDigits = 10;

struct Generation {
  int32_t number;
  std::string name;  // as the folder spells it
};

// The number of a generation name "<opening><digits><closing>", compared as
// the file system compares names; nullopt for any other name.
std::optional<int32_t> GenerationNumber(const std::string& name, const std::string& opening,
                                        const std::string& closing) {
  const std::string compared = AsFileSystemCompares(name);
  if (compared.size() <= opening.size() + closing.size() || !compared.starts_with(opening) ||
      !compared.ends_with(closing)) {
    return std::nullopt;
  }
  const std::string digits =
      compared.substr(opening.size(), compared.size() - opening.size() - closing.size());
  if (digits.size() > kMostDigits || digits.front() == '0') return std::nullopt;
  int64_t number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(number);
}

// The generations of the file `base` + `ext` in `folder`, lowest first.
std::vector<Generation> FindGenerations(platform::FileBackend& files, const std::string& folder,
                                        const std::string& base, const std::string& ext) {
  const std::string opening = AsFileSystemCompares(base + "(");
  const std::string closing = AsFileSystemCompares(")" + ext);
  std::vector<Generation> found;
  for (std::string& name : files.ListFiles(folder)) {
    if (auto number = GenerationNumber(name, opening, closing)) {
      found.push_back(Generation{*number, std::move(name)});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Generation& a, const Generation& b) { return a.number < b.number; });
  return found;
}

// Gives `path` the second name `generation`: a hard link, else a copy that
// keeps the file's identity and date.
void LinkOrCopy(const std::shared_ptr<platform::FileBackend>& files, const std::string& path,
                const std::string& generation) {
  try {
    files->HardLink(path, generation);
    return;
  } catch (const Error& error) {
    if (error.number() == errc::kFileAlreadyExists) throw;
  }
  const double modified = files->Status(path).modified;
  AtomicFileWriter copy(files, generation,
                        platform::NewFileModel{.like = path, .permissions = std::nullopt});
  copy.Append(files->ReadFile(path));
  copy.Commit(modified);
}

}  // namespace

void KeepGeneration(const std::string& path, int16_t retained) {
  const std::shared_ptr<platform::FileBackend>& files = platform::Current().file_system;
  const std::string folder = ParentFolderName(path);
  const std::string name = LastPathComponent(path);
  const std::size_t dot = name.rfind('.');
  const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot);

  std::vector<Generation> generations = FindGenerations(*files, folder, base, ext);
  const int32_t highest = generations.empty() ? 0 : generations.back().number;
  if (highest == std::numeric_limits<int32_t>::max()) Raise(errc::kOverflow);
  const std::string next = base + "(" + std::to_string(highest + 1) + ")" + ext;
  LinkOrCopy(files, path, JoinPath(folder, next));
  files->SyncFolder(folder);

  // The new generation counts: `retained` - 1 of the older ones stay.
  const std::size_t kept = retained > 1 ? static_cast<std::size_t>(retained - 1) : 0;
  std::optional<Error> failure;
  for (std::size_t i = 0; i + kept < generations.size(); ++i) {
    try {
      File(files, JoinPath(folder, generations[i].name)).Delete(false);
    } catch (const Error& error) {
      if (!failure) failure = error;
    }
  }
  if (failure) throw *failure;
}

}  // namespace tamrel::detail
