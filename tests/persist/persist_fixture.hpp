// Shared vocabulary of the persistence tests: a context with a recording
// host, a temporary folder whose "windows" subfolder stands for the Windows
// folder, and short ways to write, read and examine context files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "context/state_of.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "support/observation.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/backup_copy.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {

// Records as tamrel::Records(context) gives them.
using Records = std::vector<Record>;
using Texts = std::vector<std::string>;
using Reports = std::vector<std::pair<std::string, int32_t>>;

// What a fresh Load of a file finds, on the disk in force.
struct Loaded {
  bool ok = false;
  bool recovered = false;  // a message shown or an error reported: it was damaged
  Records records;
};

inline Loaded LoadFresh(const std::string& path) {
  auto host = RecordingHost::Make();
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  Loaded loaded;
  loaded.ok = context->Load(path);
  loaded.recovered = !host->CallsOf("ShowMessage").empty() || !host->Errors().empty();
  loaded.records = tamrel::Records(*context);
  return loaded;
}

// Decodes `text` into `context` as Load does, in a Load's instance scope;
// the number of the error that reached the caller, 0 when none.
inline int32_t Decode(ContextCls& context, std::string_view text,
                      detail::RecordFiling filing = detail::RecordFiling::kDirect) {
  detail::LoadInstancesScope instances(detail::StateOf(context));
  try {
    detail::DecodeXML(detail::StateOf(context), text, filing);
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

// Appends records directly, in order, as a loaded store would hold them.
inline void Fill(ContextCls& context, const Records& records) {
  detail::ContextState& state = detail::StateOf(context);
  for (const auto& [tag, id, instance, value] : records) {
    state.items.PushBack(detail::ContextItem{tag, id, instance, value, detail::NextItemKey(state)});
  }
}

// One element as a context file holds it, with its CR LF.
inline std::string Element(const std::string& tag, const std::string& id, int instance,
                           const std::string& encoded_value) {
  return "<" + tag + " id=\"" + id + "\" instance=\"" + std::to_string(instance) + "\">" +
         encoded_value + "</" + tag + ">\r\n";
}

inline std::string ContextFile(const std::string& elements) {
  return "<context>" + elements + "</context>";
}

// The file text of `records`, values escaped as given.
inline std::string ContextFile(const Records& records) {
  std::string elements;
  for (const auto& [tag, id, instance, value] : records)
    elements += Element(tag, id, instance, value);
  return ContextFile(elements);
}

// Picks numbers and list items, reproducibly, for the randomized tests.
class Picker {
 public:
  explicit Picker(uint32_t seed) : seed_(seed) {}
  std::size_t Below(std::size_t bound) {
    seed_ = seed_ * 1664525u + 1013904223u;
    return static_cast<std::size_t>(seed_ >> 8) % bound;
  }
  template <class List>
  const auto& From(const List& items) {
    return items[Below(std::size(items))];
  }

 private:
  uint32_t seed_;
};

// A host whose `nth` call of `op` ("WriteLog" or "RegisterError") runs
// `act`: host code that re-enters the context while it loads.
class ReenteringHost : public RecordingHost {
 public:
  std::string op = "WriteLog";
  int nth = 1;
  std::function<void()> act;

  void WriteLog(const std::string& line) override {
    RecordingHost::WriteLog(line);
    MaybeAct("WriteLog");
  }
  void RegisterError(const std::string& location, const std::string& stage) override {
    RecordingHost::RegisterError(location, stage);
    MaybeAct("RegisterError");
  }

 private:
  void MaybeAct(const std::string& called) {
    if (called == op && --nth == 0 && act) act();
  }
};

class PersistTest : public ::testing::Test {
 public:
  // Hooks that put backup copies in `folder`.
  static platform::Hooks WindowsFolder(const std::filesystem::path& folder) {
    platform::Hooks hooks;
    hooks.windows_folder = [text = Utf8Text(folder)] { return text; };
    return hooks;
  }

 protected:
  PersistTest() : scope_(WindowsFolder(windows_)) {
    std::filesystem::create_directories(windows_);
    context_->SetApplicationContext(host_);
  }

  // The backup copy of the file `name` of the temporary folder, and the
  // `number`th generation of that copy.
  std::string Backup(const std::string& name) const { return BackupCopyPath(dir_.Path(name)); }
  std::string BackupGeneration(const std::string& name, int number) const {
    const std::string copy = Backup(name);
    const std::size_t dot = copy.rfind('.');
    return copy.substr(0, dot) + "(" + std::to_string(number) + ")" + copy.substr(dot);
  }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  static bool Exists(const std::string& path) { return std::filesystem::exists(Utf8Path(path)); }

  // Writes `text` to `path` (below the temporary folder), dated `date`.
  void WriteDated(const std::string& path, const std::string& text, double date) {
    dir_.WriteFile(Utf8Text(std::filesystem::relative(Utf8Path(path), dir_.path())), text);
    platform::Current().file_system->SetModified(path, date);
  }

  TempDir dir_;
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  std::filesystem::path windows_ = dir_.path() / "windows";
  platform::Scope scope_;
};

}  // namespace tamrel::testing
