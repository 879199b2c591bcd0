// Load and Save of generated context files, beside two baselines measured in
// the same run: reading the file into memory, and pugixml parsing the file
// and filing every (tag, id, instance) -> value in an unordered_map (and
// saving a document of the same records to text).
//
// Files hold 1,000, 32,767 and 200,000 records of about 60 bytes: realistic
// tags and ids, paths, numbers, booleans and escaped characters. The host
// discards its log. Save is measured up to 32,767 records, its limit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include <malloc.h>
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

std::shared_ptr<tamrel::ContextCls> NewContext() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<tamrel::testing::DiscardingHost>());
  return context;
}

void FillStore(tamrel::ContextCls& context, int records) {
  tamrel::detail::ContextState& state = tamrel::detail::StateOf(context);
  for (int i = 0; i < records; ++i) {
    Sample s = MakeSample(i);
    tamrel::detail::ContextItem item{s.tag, s.id, s.instance, s.value,
                                     tamrel::detail::NextItemKey(state)};
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

  const std::string& File(int records) {
    auto found = files_.find(records);
    if (found != files_.end()) return found->second;
    auto context = NewContext();
    FillStore(*context, records);
    std::string path = (folder_ / ("Bench" + std::to_string(records) + ".tmc")).string();
    std::ofstream(path, std::ios::binary)
        << tamrel::detail::ContextText(tamrel::detail::StateOf(*context));
    return files_.emplace(records, path).first->second;
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
  std::map<int, std::string> files_;
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

// A run of Load or of the pugixml baseline works in memory the allocator kept
// from the run before or, with kFresh, in memory the kernel hands out anew,
// as a program's first Load does: the allocator first gives back all it can,
// outside the timing.
template <bool kFresh>
void StartRun(benchmark::State& state) {
  if (!kFresh) return;
  state.PauseTiming();
  ::malloc_trim(0);
  state.ResumeTiming();
}

template <bool kFresh>
void BM_Load(benchmark::State& state) {
  const std::string& path = Workspace::Get().File(static_cast<int>(state.range(0)));
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    state.PauseTiming();
    if (kFresh) ::malloc_trim(0);
    auto context = NewContext();
    state.ResumeTiming();
    if (!context->Load(path)) state.SkipWithError("Load failed");
    benchmark::DoNotOptimize(context.get());
    state.PauseTiming();
    const tamrel::detail::ContextState& loaded = tamrel::detail::StateOf(*context);
    if (loaded.items.Count() != state.range(0) || loaded.changed) {
      state.SkipWithError("Load did not take the file as it is");
    }
    context.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(bytes * static_cast<int64_t>(state.iterations()));
}

template <bool kFresh>
void BM_PugiParseInsert(benchmark::State& state) {
  const std::string& path = Workspace::Get().File(static_cast<int>(state.range(0)));
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    StartRun<kFresh>(state);
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

// The three file sizes, for reading and loading.
void FileSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1000)->Arg(32767)->Arg(200000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Read<ReadThroughIterator>)->Name("BM_ReadFileIterator")->Apply(FileSizes);
BENCHMARK(BM_Read<ReadSized>)->Name("BM_ReadFileSized")->Apply(FileSizes);
BENCHMARK(BM_Load<false>)->Name("BM_Load")->Apply(FileSizes);
BENCHMARK(BM_Load<true>)->Name("BM_LoadFresh")->Apply(FileSizes);
BENCHMARK(BM_PugiParseInsert<false>)->Name("BM_PugiParseInsert")->Apply(FileSizes);
BENCHMARK(BM_PugiParseInsert<true>)->Name("BM_PugiParseInsertFresh")->Apply(FileSizes);
BENCHMARK(BM_SaveText)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiSaveText)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
