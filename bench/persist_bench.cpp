// Load and Save of generated context files, beside baselines measured in
// the same run: reading the file into memory; the pugixml loader a C++
// programmer would write instead (an in-place Latin-1 parse walked into an
// unordered_map keyed by tag, id and instance); a friendlier pugixml
// baseline (a copying parse into concatenated string keys); and pugixml
// saving a document of the same records to text.
//
// Files hold 1,000, 32,767 and 200,000 records of about 60 bytes, in two
// shapes (the second argument): 0, runs of instances per key as an
// application files them (MakeSample); 1, the side-by-side harness's data
// (tags from 50 names, ids mostly distinct per tag, instances numbered in
// file order; MakeHarnessRecords). Load also reports the bytes a loaded
// context holds per record (glibc's mallinfo2, heap and mapped blocks).
// The host discards its log. Save is measured up to 32,767 records, its
// limit.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pugixml.hpp>

#include "context/state_of.hpp"
#include "persist/context_text.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/host.hpp"
#include "tamrel/platform.hpp"

namespace {

struct Sample {
  std::string tag;
  std::string id;
  int16_t instance;
  std::string value;
};

// Record i of a generated store: about 60 bytes in the file. Records come in
// runs of twelve, as an application files them: one Tag and Id per setting,
// its instances numbered 1, 2, ... in a row (a window position has one, a
// list of recent files four).
Sample MakeSample(int i) {
  struct Kind {
    const char* tag;
    const char* id;
    int16_t instance;
  };
  static const Kind kRun[] = {
      {"Window", "Left", 1},   {"Recent", "File", 1},   {"Recent", "File", 2},
      {"Recent", "File", 3},   {"Recent", "File", 4},   {"Options", "Grid", 1},
      {"Caption", "Title", 1}, {"Caption", "Title", 2}, {"Export", "Sep", 1},
      {"Plot", "Scale", 1},    {"Plot", "Scale", 2},    {"Plot", "Scale", 3}};
  const Kind& kind = kRun[i % 12];
  const std::string run = std::to_string(i / 12);
  const std::string n = std::to_string(i);
  Sample sample{kind.tag, kind.id + run, kind.instance, ""};
  switch (i % 12) {
    case 0:
      sample.value = std::to_string(i * 7 % 1920);
      break;
    case 1:
    case 2:
    case 3:
    case 4:
      sample.value = "C:\\Data\\Run " + n + ".dat";
      break;
    case 5:
      sample.value = i % 4 ? "True" : "False";
      break;
    case 6:
    case 7:
      sample.value = "A<B & \"C\" " + n;
      break;
    case 8:
      sample.value = "', '";
      break;
    default:
      sample.value = "0." + n;
      break;
  }
  return sample;
}

// The side-by-side harness's records, drawn as it draws them: a tag from 50
// names, an id ("Item" and a number up to records / 20, or one of ten
// names), an instance 1..4, until `records` distinct triples; values a mix
// of numbers, Windows paths, booleans, words, text with the five escaped
// characters, empty text and colours. The instances are then renumbered
// 1, 2, ... per tag and id in file order, as a saved file has them.
std::vector<Sample> MakeHarnessRecords(int records) {
  static const char* const kTags[] = {
      "Window",   "Recent",   "Toolbar", "Font",   "Color",      "Option",   "Path",    "Printer",
      "View",     "Column",   "Filter",  "Search", "Replace",    "Bookmark", "Macro",   "Plugin",
      "Language", "Encoding", "Tab",     "Panel",  "Dock",       "Layout",   "Theme",   "Shortcut",
      "History",  "Session",  "Project", "Editor", "Output",     "Debug",    "Build",   "Network",
      "Proxy",    "Update",   "Backup",  "Spell",  "Dictionary", "Template", "Snippet", "Format",
      "Margin",   "Zoom",     "Grid",    "Ruler",  "Status",     "Menu",     "Dialog",  "Export",
      "Import",   "Sync"};
  static const char* const kNamedIds[] = {"Left", "Top",  "Width",   "Height", "File",
                                          "Name", "Size", "Visible", "Mode",   "Last"};
  static const char* const kWords[] = {"alpha",   "beta",  "Consolas", "Courier New", "Segoe UI",
                                       "default", "utf-8", "ANSI",     "Normal",      "Maximized",
                                       "left",    "right", "center",   "None",        "Auto"};
  static const char* const kSpecial[] = {"Tom & Jerry", "a<b",  "x < y && y > z", "R&D",
                                         "<none>",      "it's", "say \"hi\"",     "Save & Exit"};
  std::mt19937 rng(12345);
  auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  auto value = [&]() -> std::string {
    const int p = below(100);
    if (p < 35) return std::to_string(below(2) ? below(2001) : below(1 << 30));
    if (p < 60) {
      return "C:\\Users\\user" + std::to_string(below(5)) + "\\Documents\\file" +
             std::to_string(below(100000)) + ".txt";
    }
    if (p < 75) return below(2) ? "True" : "False";
    if (p < 90) {
      std::string words = kWords[below(15)];
      for (int more = below(3); more > 0; --more) words.append(" ").append(kWords[below(15)]);
      return words;
    }
    if (p < 95) return kSpecial[below(8)];
    if (p < 97) return "";
    return "#" + std::to_string(below(1 << 24));
  };
  const int max_id = std::max(500, records / 20);
  std::set<std::tuple<std::string, std::string, int>> seen;
  std::map<std::pair<std::string, std::string>, int16_t> instances;
  std::vector<Sample> samples;
  samples.reserve(static_cast<std::size_t>(records));
  while (static_cast<int>(samples.size()) < records) {
    std::string tag = kTags[below(50)];
    std::string id =
        below(20) == 0 ? kNamedIds[below(10)] : "Item" + std::to_string(below(max_id + 1));
    if (!seen.emplace(tag, id, 1 + below(4)).second) continue;
    const int16_t instance = ++instances[{tag, id}];
    samples.push_back(Sample{std::move(tag), std::move(id), instance, value()});
  }
  return samples;
}

enum Shape { kRuns = 0, kHarness = 1 };

std::vector<Sample> MakeRecords(int records, int shape) {
  if (shape == kHarness) return MakeHarnessRecords(records);
  std::vector<Sample> samples;
  samples.reserve(static_cast<std::size_t>(records));
  for (int i = 0; i < records; ++i) samples.push_back(MakeSample(i));
  return samples;
}

std::shared_ptr<tamrel::ContextCls> NewContext() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<tamrel::testing::DiscardingHost>());
  return context;
}

void FillStore(tamrel::ContextCls& context, int records, int shape = kRuns) {
  tamrel::detail::ContextState& state = tamrel::detail::StateOf(context);
  for (Sample& s : MakeRecords(records, shape)) {
    tamrel::detail::ContextItem item{std::move(s.tag), std::move(s.id), s.instance,
                                     std::move(s.value), tamrel::detail::NextItemKey(state)};
    state.items.PushBack(std::move(item));
  }
}

// Makes the files once per size, in a folder removed at exit; the Windows
// folder (backup copies) is a subfolder of it.
class Workspace {
 public:
  static Workspace& Get() {
    static Workspace workspace;
    return workspace;
  }

  const std::string& File(int records, int shape = kRuns) {
    auto found = files_.find({records, shape});
    if (found != files_.end()) return found->second;
    auto context = NewContext();
    FillStore(*context, records, shape);
    std::string path =
        (folder_ / ("Bench" + std::to_string(records) + "-" + std::to_string(shape) + ".tmc"))
            .string();
    std::ofstream(path, std::ios::binary)
        << tamrel::detail::ContextText(tamrel::detail::StateOf(*context));
    return files_.emplace(std::pair{records, shape}, path).first->second;
  }

  std::string SavePath(int records) const {
    return (folder_ / ("Saved" + std::to_string(records) + ".tmc")).string();
  }

  ~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  Workspace()
      : folder_(std::filesystem::temp_directory_path() /
                ("tamrel-bench-" + std::to_string(::getpid()))),
        scope_(Hooks(folder_ / "windows")) {
    std::filesystem::create_directories(folder_ / "windows");
  }

  static tamrel::platform::Hooks Hooks(const std::filesystem::path& windows) {
    tamrel::platform::Hooks hooks;
    hooks.windows_folder = [w = windows.string()] { return w; };
    return hooks;
  }

  std::filesystem::path folder_;
  tamrel::platform::Scope scope_;
  std::map<std::pair<int, int>, std::string> files_;
};

// Two ways of reading a file into memory: through a stream iterator, as
// code often does, and with one read of the known size, the fastest there is.
std::string ReadThroughIterator(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadSized(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string text(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  return text;
}

template <std::string (*Read)(const std::string&)>
void BM_Read(benchmark::State& state) {
  const std::string& path = Workspace::Get().File(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = Read(path);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}

// What a run of Load or of a pugixml baseline comes after, outside the
// timing. kNothing: the run before, so memory the allocator kept and branch
// predictors that learned the file. kFreshMemory: the allocator gave back all
// it can, so the run works in memory the kernel hands out anew, as a
// program's first Load does. kOtherWork: a sort of 30,000 random numbers, so
// the predictors hold other code's history, as in a host that does more
// than load the same file (the side-by-side harness among them).
enum class Before { kNothing, kFreshMemory, kOtherWork };

void DoOtherWork() {
  static std::vector<uint32_t> numbers(30000);
  static uint32_t seed = 7;
  for (uint32_t& number : numbers) {
    seed = seed * 1103515245u + 12345u;
    number = seed;
  }
  std::sort(numbers.begin(), numbers.end());
  benchmark::DoNotOptimize(numbers.data());
}

template <Before kBefore>
void PrepareRun() {
  if (kBefore == Before::kFreshMemory) ::malloc_trim(0);
  if (kBefore == Before::kOtherWork) DoOtherWork();
}

template <Before kBefore>
void StartRun(benchmark::State& state) {
  if (kBefore == Before::kNothing) return;
  state.PauseTiming();
  PrepareRun<kBefore>();
  state.ResumeTiming();
}

// Bytes held by the allocator: its heap and its mapped blocks.
std::size_t HeldBytes() {
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
}

// The bytes a context loaded from `path` holds per record, as the
// side-by-side harness measures them (plus mapped blocks, which it leaves
// out).
double HeldPerRecord(const std::string& path, int records) {
  ::malloc_trim(0);
  const std::size_t before = HeldBytes();
  auto context = NewContext();
  context->Load(path);
  return static_cast<double>(HeldBytes() - before) / records;
}

template <Before kBefore>
void BM_Load(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const std::string& path = Workspace::Get().File(records, static_cast<int>(state.range(1)));
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  state.counters["held_B_per_record"] = HeldPerRecord(path, records);
  for (auto _ : state) {
    state.PauseTiming();
    PrepareRun<kBefore>();
    auto context = NewContext();
    state.ResumeTiming();
    if (!context->Load(path)) state.SkipWithError("Load failed");
    benchmark::DoNotOptimize(context.get());
    state.PauseTiming();
    const tamrel::detail::ContextState& loaded = tamrel::detail::StateOf(*context);
    if (loaded.items.Count() != records || loaded.changed) {
      state.SkipWithError("Load did not take the file as it is");
    }
    context.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(bytes * static_cast<int64_t>(state.iterations()));
}

std::string ReadPosix(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  struct stat info {};
  ::fstat(fd, &info);
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t count = ::read(fd, text.data() + got, text.size() - got);
    if (count <= 0) break;
    got += static_cast<std::size_t>(count);
  }
  ::close(fd);
  return text;
}

struct Key3 {
  std::string tag, id;
  int instance;
  bool operator==(const Key3&) const = default;
};
struct Key3Hash {
  std::size_t operator()(const Key3& key) const {
    std::size_t hash = std::hash<std::string>()(key.tag);
    hash ^= std::hash<std::string>()(key.id) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    return hash ^ (static_cast<std::size_t>(key.instance) * 0x9e3779b97f4a7c15ULL);
  }
};

// The loader the side-by-side harness compares Load with: the file read
// whole, parsed in place as Latin-1, and walked into an unordered_map keyed
// by (tag, id, instance).
template <Before kBefore>
void BM_PugiLoader(benchmark::State& state) {
  const std::string& path =
      Workspace::Get().File(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    StartRun<kBefore>(state);
    std::string text = ReadPosix(path);
    pugi::xml_document document;
    document.load_buffer_inplace(text.data(), text.size(), pugi::parse_default,
                                 pugi::encoding_latin1);
    std::unordered_map<Key3, std::string, Key3Hash> values;
    for (pugi::xml_node element : document.child("context").children()) {
      values.insert_or_assign(Key3{element.name(), element.attribute("id").value(),
                                   element.attribute("instance").as_int()},
                              std::string(element.child_value()));
    }
    if (values.size() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("lost");
    benchmark::DoNotOptimize(values.size());
  }
  state.SetBytesProcessed(bytes * static_cast<int64_t>(state.iterations()));
}

// A friendlier baseline: a copying parse, filed under concatenated keys.
template <Before kBefore>
void BM_PugiParseInsert(benchmark::State& state) {
  const std::string& path =
      Workspace::Get().File(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    StartRun<kBefore>(state);
    std::string text = ReadSized(path);
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size())) state.SkipWithError("parse failed");
    std::unordered_map<std::string, std::string> values;
    for (pugi::xml_node element : document.child("context").children()) {
      std::string key = element.name();
      key.append("\x1f").append(element.attribute("id").value());
      key.append("\x1f").append(element.attribute("instance").value());
      values.emplace(std::move(key), element.child_value());
    }
    benchmark::DoNotOptimize(values.size());
  }
  state.SetBytesProcessed(bytes * static_cast<int64_t>(state.iterations()));
}

void BM_SaveText(benchmark::State& state) {
  auto context = NewContext();
  FillStore(*context, static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = tamrel::detail::SaveText(tamrel::detail::StateOf(*context));
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}

void BM_Save(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  auto context = NewContext();
  FillStore(*context, records);
  const std::string path = Workspace::Get().SavePath(records);
  for (auto _ : state) {
    if (!context->Save(path)) state.SkipWithError("Save failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(std::filesystem::file_size(path)) *
                          static_cast<int64_t>(state.iterations()));
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

void BM_PugiSaveText(benchmark::State& state) {
  pugi::xml_document document;
  pugi::xml_node root = document.append_child("context");
  for (int i = 0; i < state.range(0); ++i) {
    Sample s = MakeSample(i);
    pugi::xml_node element = root.append_child(s.tag.c_str());
    element.append_attribute("id") = s.id.c_str();
    element.append_attribute("instance") = s.instance;
    element.text() = s.value.c_str();
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    StringWriter writer;
    document.save(writer, "", pugi::format_raw | pugi::format_no_declaration);
    bytes = writer.text.size();
    benchmark::DoNotOptimize(writer.text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}

// The three file sizes, for reading.
void FileSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1000)->Arg(32767)->Arg(200000)->Unit(benchmark::kMillisecond);
}

// The three file sizes in both shapes, for loading.
void FileSizesAndShapes(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"records", "shape"});
  for (int shape : {kRuns, kHarness}) {
    for (int records : {1000, 32767, 200000}) benchmark->Args({records, shape});
  }
  benchmark->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Read<ReadThroughIterator>)->Name("BM_ReadFileIterator")->Apply(FileSizes);
BENCHMARK(BM_Read<ReadSized>)->Name("BM_ReadFileSized")->Apply(FileSizes);
BENCHMARK(BM_Load<Before::kNothing>)->Name("BM_Load")->Apply(FileSizesAndShapes);
BENCHMARK(BM_PugiLoader<Before::kNothing>)->Name("BM_PugiLoader")->Apply(FileSizesAndShapes);
BENCHMARK(BM_Load<Before::kFreshMemory>)->Name("BM_LoadFresh")->Apply(FileSizesAndShapes);
BENCHMARK(BM_PugiLoader<Before::kFreshMemory>)
    ->Name("BM_PugiLoaderFresh")
    ->Apply(FileSizesAndShapes);
BENCHMARK(BM_Load<Before::kOtherWork>)->Name("BM_LoadAfterOtherWork")->Apply(FileSizesAndShapes);
BENCHMARK(BM_PugiLoader<Before::kOtherWork>)
    ->Name("BM_PugiLoaderAfterOtherWork")
    ->Apply(FileSizesAndShapes);
BENCHMARK(BM_PugiParseInsert<Before::kNothing>)
    ->Name("BM_PugiParseInsert")
    ->Apply(FileSizesAndShapes);
BENCHMARK(BM_PugiParseInsert<Before::kFreshMemory>)
    ->Name("BM_PugiParseInsertFresh")
    ->Apply(FileSizesAndShapes);
BENCHMARK(BM_SaveText)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiSaveText)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
