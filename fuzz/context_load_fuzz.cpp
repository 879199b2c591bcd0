// Fuzz target for the whole Load path on an in-memory disk: reading the
// file, validation, the context log, recovery from the backup copy and
// setting damaged files aside; then a Save of what was loaded, a day later.
//
// Input: a flags byte, then the context file's text, a NUL byte and the
// backup copy's text. Flags: 1 a backup copy exists, 2 "<name>_corrupt(1)"
// is already taken, 4 the file is the calibration file (short log line).
//
// Beyond "no crash, hang or leak", three properties that say nothing is
// lost: every text on the disk before the Load is still the content of some
// file after it; a Load that succeeded leaves a file that loads again
// (without recovery, unless the first Load recovered); and what Save
// writes of records that round-trip loads again without recovery, with the
// same records when their tags and ids are plain names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_records.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"
#include "tamrel/testing.hpp"

namespace {

using tamrel::fuzzing::Check;
using tamrel::fuzzing::HasOnlyPlainNames;
using tamrel::fuzzing::Records;
using tamrel::testing::MemoryDisk;

constexpr double kToday = 46000.5;
constexpr char kFolder[] = "/home/app";
constexpr char kBackupFolder[] = "/state/Tamrel";

// Counts the messages shown: Load shows one for every recovery step.
class CountingHost : public tamrel::testing::DiscardingHost {
 public:
  tamrel::Variant ShowMessage(const std::string&, int16_t, const std::string&, const std::string&,
                              int32_t) override {
    ++messages;
    return {};
  }
  int messages = 0;
};

struct Loaded {
  bool ok = false;
  int messages = 0;
  Records records;
};

// Plain names, and values without a line break.
bool IsPlain(const Records& records) {
  return HasOnlyPlainNames(records) && std::ranges::none_of(records, [](const auto& record) {
           return record.value.find_first_of("\r\n") != std::string::npos;
         });
}

std::shared_ptr<tamrel::ContextCls> NewContext(std::shared_ptr<CountingHost>& host) {
  host = std::make_shared<CountingHost>();
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(host);
  return context;
}

Loaded LoadFresh(const std::string& path) {
  std::shared_ptr<CountingHost> host;
  auto context = NewContext(host);
  const bool ok = context->Load(path);
  return {ok, host->messages, tamrel::Records(*context)};
}

std::multiset<std::string> Contents(const MemoryDisk& disk) {
  std::multiset<std::string> contents;
  for (const auto& [path, content] : disk.AllFiles()) contents.insert(content);
  return contents;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = rest.find('\0');
  const std::string main_text(rest.substr(0, split));
  const std::string backup_text(split == std::string_view::npos ? "" : rest.substr(split + 1));

  const std::string name = (flags & 4) ? "CalibrationSettings.tmc" : "Setup.tmc";
  const std::string path = std::string(kFolder) + "/" + name;
  auto disk = std::make_shared<MemoryDisk>();
  disk->PutFolder(kBackupFolder);
  disk->PutFile(path, main_text, kToday - 2);
  if (flags & 1) disk->PutFile(std::string(kBackupFolder) + "/" + name, backup_text, kToday - 3);
  if (flags & 2) disk->PutFile(path + "_corrupt(1)", "set aside before", kToday - 9);

  double now = kToday;
  tamrel::platform::Hooks hooks = MemoryDisk::Hooks(disk);
  hooks.windows_folder = [] { return std::string(kBackupFolder); };
  hooks.now = [&now] { return now; };
  hooks.message_box = [](const std::string&, int16_t, const std::string&) {
    return tamrel::Variant(int16_t{1});
  };
  tamrel::platform::Scope scope(hooks);

  const std::multiset<std::string> before = Contents(*disk);
  std::shared_ptr<CountingHost> host;
  auto context = NewContext(host);
  const bool loaded = context->Load(path);
  const int loaded_messages = host->messages;

  for (const std::string& text : before) Check(Contents(*disk).count(text) >= before.count(text));
  if (!loaded) return 0;

  // The file a recovery put in place is read line by line next time, the
  // backup copy it came from was read whole: a hand-made backup copy with a
  // line feed inside a start tag can decode one way and not the other. The
  // values stay reachable all the same: the next Load recovers again.
  const Loaded next = LoadFresh(path);
  Check(next.ok && (next.messages == 0 || loaded_messages > 0));

  now = kToday + 1;
  const Records saved = tamrel::Records(*context);
  // Save writes tags and ids as they are; only records a file gives back as
  // given are held to the clean reload.
  const bool round_trips = std::ranges::all_of(saved, [](const tamrel::Record& record) {
    return tamrel::RoundTrips(record.tag, record.id, record.value);
  });
  Check(context->Save(path));
  if (!round_trips) return 0;
  const Loaded again = LoadFresh(path);
  Check(again.ok && again.messages == 0);
  if (IsPlain(saved)) Check(again.records == saved);
  return 0;
}
