// Tag store benchmarks: the indexed store against the plain reference model
// and std::unordered_map, per operation, at growing store sizes.
//
// Every benchmark reports "per_op": the time of one store operation. Flat
// growth means per_op at 100k stays close to per_op at 1k.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/reference_store.hpp"
#include "tamrel/context.hpp"

namespace tamrel {
namespace {

constexpr int kTagCount = 8;

// Pre-made keys so that the benchmarks time the store, not the formatting.
struct Keys {
  explicit Keys(int64_t n) {
    for (int64_t i = 0; i < n; ++i) {
      tags.push_back("Section" + std::to_string(i % kTagCount));
      ids.push_back("Setting" + std::to_string(i));
      values.push_back("value " + std::to_string(i));
    }
  }
  std::vector<std::string> tags, ids, values;
};

// Random indices into the keys, drawn once.
std::vector<std::size_t> Probes(int64_t n) {
  std::mt19937_64 rng(42);
  std::uniform_int_distribution<int64_t> pick(0, n - 1);
  std::vector<std::size_t> probes(4096);
  for (std::size_t& probe : probes) probe = static_cast<std::size_t>(pick(rng));
  return probes;
}

std::shared_ptr<ContextCls> FilledContext(const Keys& keys) {
  auto context = std::make_shared<ContextCls>();
  for (std::size_t i = 0; i < keys.ids.size(); ++i) {
    context->Add(keys.tags[i], keys.ids[i], Variant(keys.values[i]));
  }
  return context;
}

void PerOp(benchmark::State& state, int64_t ops_per_iteration) {
  state.counters["per_op"] = benchmark::Counter(
      static_cast<double>(ops_per_iteration),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Calls probe(k) once per iteration with random key indices below range(0).
template <class Probe>
void ForEachProbe(benchmark::State& state, Probe&& probe) {
  const std::vector<std::size_t> probes = Probes(state.range(0));
  std::size_t p = 0;
  for (auto _ : state) probe(probes[p++ % probes.size()]);
  PerOp(state, 1);
}

// --- The indexed store --------------------------------------------------------

// Sizes of the stores that filling is measured at, timed in milliseconds.
void FillSizes(benchmark::internal::Benchmark* benchmark) {
  for (int64_t records : {1000, 10000, 100000, 1000000}) benchmark->Arg(records);
  benchmark->Unit(benchmark::kMillisecond);
}

void BM_AddDistinctKeys(benchmark::State& state) {
  const Keys keys(state.range(0));
  for (auto _ : state) {
    auto context = FilledContext(keys);
    benchmark::DoNotOptimize(context.get());
    state.PauseTiming();
    context.reset();
    state.ResumeTiming();
  }
  PerOp(state, state.range(0));
}
BENCHMARK(BM_AddDistinctKeys)->Apply(FillSizes);

// The same with numbers for values: isBoolean settles a number without a
// failed Boolean conversion, so this isolates the store's own cost.
void BM_AddDistinctKeysNumberValues(benchmark::State& state) {
  const Keys keys(state.range(0));
  for (auto _ : state) {
    auto context = std::make_shared<ContextCls>();
    for (std::size_t i = 0; i < keys.ids.size(); ++i) {
      context->Add(keys.tags[i], keys.ids[i], Variant(static_cast<int32_t>(i)));
    }
    benchmark::DoNotOptimize(context.get());
    state.PauseTiming();
    context.reset();
    state.ResumeTiming();
  }
  PerOp(state, state.range(0));
}
BENCHMARK(BM_AddDistinctKeysNumberValues)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AddOneKeyMaxCount4(benchmark::State& state) {
  const Keys keys(state.range(0));
  auto context = FilledContext(keys);
  const Keys hot(64);
  std::size_t i = 0;
  for (auto _ : state) {
    context->Add("Hot", "key", Variant(hot.values[i++ % hot.values.size()]), 4);
  }
  PerOp(state, 1);
}
BENCHMARK(BM_AddOneKeyMaxCount4)->Arg(1000)->Arg(100000);

// MoveFirst, then Read and MoveNext until EOF, on a key with four values.
void BM_ReadLoop(benchmark::State& state) {
  const Keys keys(state.range(0));
  auto context = FilledContext(keys);
  for (std::size_t i = 0; i < keys.ids.size(); i += 10) {
    for (int extra = 0; extra < 3; ++extra) {
      context->Add(keys.tags[i], keys.ids[i], Variant(keys.values[i]));
    }
  }
  const std::vector<std::size_t> probes = Probes(state.range(0) / 10);
  std::size_t p = 0;
  int64_t reads = 0;
  for (auto _ : state) {
    const std::size_t k = probes[p++ % probes.size()] * 10;
    const std::string& tag = keys.tags[k];
    const std::string& id = keys.ids[k];
    for (context->MoveFirst(tag, id); !context->Eof(tag, id); context->MoveNext(tag, id)) {
      benchmark::DoNotOptimize(context->Read(tag, id));
      ++reads;
    }
  }
  state.counters["per_op"] = benchmark::Counter(
      static_cast<double>(reads), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadLoop)->Arg(1000)->Arg(100000);

void BM_Exists(benchmark::State& state) {
  const Keys keys(state.range(0));
  auto context = FilledContext(keys);
  ForEachProbe(state, [&](std::size_t k) {
    benchmark::DoNotOptimize(context->Exists(keys.tags[k], keys.ids[k]));
  });
}
BENCHMARK(BM_Exists)->Arg(1000)->Arg(10000)->Arg(100000);

void BM_Count(benchmark::State& state) {
  const Keys keys(state.range(0));
  auto context = FilledContext(keys);
  ForEachProbe(state, [&](std::size_t k) {
    benchmark::DoNotOptimize(context->Count(keys.tags[k], keys.ids[k]));
  });
}
BENCHMARK(BM_Count)->Arg(1000)->Arg(100000);

// --- The reference model: a vector scanned on every operation -----------------

std::shared_ptr<testing::ReferenceStore> ReferenceModel() {
  auto helper = std::make_shared<ContextCls>();
  return std::make_shared<testing::ReferenceStore>(
      [helper](const Variant& v) { return helper->isBoolean(v) ? helper->cBoolStr(v) : CStr(v); },
      nullptr);
}

void BM_ReferenceAddDistinctKeys(benchmark::State& state) {
  const Keys keys(state.range(0));
  for (auto _ : state) {
    auto model = ReferenceModel();
    for (std::size_t i = 0; i < keys.ids.size(); ++i) {
      model->Add(keys.tags[i], keys.ids[i], Variant(keys.values[i]));
    }
    benchmark::DoNotOptimize(model.get());
  }
  PerOp(state, state.range(0));
}
BENCHMARK(BM_ReferenceAddDistinctKeys)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReferenceExists(benchmark::State& state) {
  const Keys keys(state.range(0));
  auto model = ReferenceModel();
  for (std::size_t i = 0; i < keys.ids.size(); ++i) {
    model->Add(keys.tags[i], keys.ids[i], Variant(keys.values[i]));
  }
  ForEachProbe(state, [&](std::size_t k) {
    benchmark::DoNotOptimize(model->Exists(keys.tags[k], keys.ids[k]));
  });
}
BENCHMARK(BM_ReferenceExists)->Arg(1000)->Arg(10000);

// --- Baseline: std::unordered_map keyed by tag and id ------------------------------

void BM_UnorderedMapInsert(benchmark::State& state) {
  const Keys keys(state.range(0));
  for (auto _ : state) {
    std::unordered_map<std::string, std::string> map;
    for (std::size_t i = 0; i < keys.ids.size(); ++i) {
      map.emplace(keys.tags[i] + "_" + keys.ids[i], keys.values[i]);
    }
    benchmark::DoNotOptimize(map.size());
    state.PauseTiming();
    map = {};
    state.ResumeTiming();
  }
  PerOp(state, state.range(0));
}
BENCHMARK(BM_UnorderedMapInsert)->Apply(FillSizes);

void BM_UnorderedMapLookup(benchmark::State& state) {
  const Keys keys(state.range(0));
  std::unordered_map<std::string, std::string> map;
  for (std::size_t i = 0; i < keys.ids.size(); ++i) {
    map.emplace(keys.tags[i] + "_" + keys.ids[i], keys.values[i]);
  }
  ForEachProbe(state, [&](std::size_t k) {
    benchmark::DoNotOptimize(map.find(keys.tags[k] + "_" + keys.ids[k]));
  });
}
BENCHMARK(BM_UnorderedMapLookup)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000);

}  // namespace
}  // namespace tamrel

BENCHMARK_MAIN();
