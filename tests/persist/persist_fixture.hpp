// Shared vocabulary of the persistence tests: a context with a recording
// host, a temporary folder whose "windows" subfolder stands for the Windows
// folder, and short ways to write, read and inspect context files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {

// (tag, id, instance, value) of one record.
using Record = std::tuple<std::string, std::string, int, std::string>;

inline std::vector<Record> RecordsOf(ContextCls& context) {
  std::vector<Record> records;
  detail::StateOf(context).items.ForEach([&](const detail::ContextItem& item) {
    records.emplace_back(item.Tag, item.Id, item.Instance, item.Value);
  });
  return records;
}

inline std::vector<std::string> KeysOf(ContextCls& context) {
  std::vector<std::string> keys;
  detail::StateOf(context).items.ForEach(
      [&](const detail::ContextItem& item) { keys.push_back(item.Key); });
  return keys;
}

// Appends records directly, in order, as a loaded store would hold them.
inline void Fill(ContextCls& context, const std::vector<Record>& records) {
  detail::ContextState& state = detail::StateOf(context);
  for (const auto& [tag, id, instance, value] : records) {
    detail::ContextItem item{tag, id, static_cast<int16_t>(instance), value, ""};
    item.Key = detail::NextItemKey(state);
    state.items.PushBack(std::move(item));
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

class PersistTest : public ::testing::Test {
 protected:
  PersistTest()
      : host_(RecordingHost::Make()),
        context_(std::make_shared<ContextCls>()),
        windows_(dir_.path() / "windows"),
        scope_(WindowsFolderHooks(windows_)) {
    std::filesystem::create_directories(windows_);
    context_->SetApplicationContext(host_);
  }

  static platform::Hooks WindowsFolderHooks(const std::filesystem::path& folder) {
    platform::Hooks hooks;
    std::string text = folder.string();
    hooks.windows_folder = [text] { return text; };
    return hooks;
  }

  std::string Backup(const std::string& name) const { return (windows_ / name).string(); }
  static std::string Read(const std::string& path) { return TempDir::ReadFile(path); }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

  TempDir dir_;
  std::shared_ptr<RecordingHost> host_;
  std::shared_ptr<ContextCls> context_;
  std::filesystem::path windows_;
  platform::Scope scope_;
};

}  // namespace tamrel::testing
