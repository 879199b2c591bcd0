// The crash test's vocabulary: a saver process writes two versions of a
// context in turn until it is ended at a random moment; after every end the
// context file and its backup copy must each load completely, as one version
// or the other.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "persist_fixture.hpp"
#include "support/discarding_host.hpp"

namespace tamrel::testing {

// Two versions of the store that differ in size and in every value.
inline Records Version(char which) {
  Records records;
  for (int i = 0; i < (which == 'a' ? 300 : 700); ++i) {
    records.emplace_back("Tag" + std::to_string(i % 7), "Id" + std::to_string(i), 1,
                         std::string(1, which) + "<&>\"'" + std::to_string(i));
  }
  return records;
}

// True when `path` loads without a report and holds one version whole.
inline bool LoadsWhole(const std::string& path) {
  const Loaded loaded = LoadFresh(path);
  return loaded.ok && !loaded.recovered &&
         (loaded.records == Version('a') || loaded.records == Version('b'));
}

// The saver's loop: saves the two versions in turn to `path`; returns only
// when a save fails. Every other save is the day's first: the file is dated
// a day back before it, so that it gets a generation.
inline void SaveVersionsInTurn(const std::string& path) {
  auto saver = std::make_shared<ContextCls>();
  saver->SetApplicationContext(std::make_shared<DiscardingHost>());
  for (char which = 'b';; which = which == 'a' ? 'b' : 'a') {
    if (which == 'a') {
      platform::Current().file_system->SetModified(path, platform::Current().now() - 1);
    }
    saver->Clear();
    Fill(*saver, Version(which));
    if (!saver->Save(path)) return;
  }
}

// The temporary files of saves of `path` beside it (killed saves leave them).
inline std::vector<std::string> TempFilesOf(const std::string& path) {
  const std::filesystem::path file = Utf8Path(path);
  const std::string prefix = "." + Utf8Text(file.filename()) + ".tmp-";
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    const std::string name = Utf8Text(entry.path().filename());
    if (name.rfind(prefix, 0) == 0) found.push_back(name);
  }
  return found;
}

}  // namespace tamrel::testing
