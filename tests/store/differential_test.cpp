// Randomized differential test: random sequences of store operations run on
// a ContextCls object and on a ReferenceStore model; each result, the host
// calls and the whole state after every step must agree. The base seed is
// TAMREL_STORE_SEED, the number of sequences TAMREL_STORE_RUNS; a failure
// prints its seed and the first step where the two differ.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "context/state_of.hpp"
#include "store/reference_store.hpp"
#include "support/observation.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {
namespace {

// clang-format off
enum class K { Add, ValueLet, Remove, MoveFirst, Eof, Read, MoveNext, Item, ValueGet, Count };
const char* const kNames[] = {"Add", "Value=", "Remove", "MoveFirst", "EOF", "Read", "MoveNext",
                              "Item", "Value", "Count"};
// clang-format on

struct Op {
  K kind = K::Add;
  std::string tag, id, link;
  Variant value;
  std::optional<Variant> rid, rvalue;  // Remove's arguments
  int16_t max_count = 4;
  int32_t n = 0;  // Item's instance
};

std::string Show(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return TypeName(v);
  return v.IsString() ? "\"" + v.AsString() + "\"" : TypeName(v) + "(" + CStr(v) + ")";
}

std::string Describe(const Op& op) {
  std::ostringstream out;
  out << kNames[static_cast<int>(op.kind)] << " tag=\"" << op.tag << "\" id=\"" << op.id
      << "\" value=" << Show(op.value) << " rid=" << (op.rid ? Show(*op.rid) : "none")
      << " rvalue=" << (op.rvalue ? Show(*op.rvalue) : "none") << " max=" << op.max_count
      << " link=\"" << op.link << "\" n=" << op.n;
  return out.str();
}

std::vector<Op> RandomSequence(uint64_t seed) {
  std::mt19937_64 rng(seed);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
  auto one_of = [&](const auto& choices) { return choices[pick(int(std::size(choices)) - 1)]; };
  const std::string texts[] = {"x", "y", "1", "", "True", "true"};
  const Variant others[] = {Variant::Null(), Variant(true), Variant(int32_t{7}), Variant(2.5)};
  const std::string tags[] = {"T", "T", "T", "U", "Files", "context", ""};
  const std::string ids[] = {"x", "x", "y", "1", "True", ""};
  const int16_t max_counts[] = {4, 4, 1, 2, 0, -3, 32767};
  const std::string links[] = {"", "", "'Files", "x'Files' U", "'U'Files'T", "Files"};
  const int32_t instances[] = {1, 2, 3, 0, -4};
  // The weight of each kind of step, in the order of K.
  std::discrete_distribution<int> kinds({30, 4, 10, 3, 3, 3, 7, 3, 3, 3});
  std::vector<Op> ops(static_cast<std::size_t>(1 + pick(69)));
  for (Op& op : ops) {
    op.tag = one_of(tags), op.id = one_of(ids);
    op.value = pick(4) > 0 ? Variant(one_of(texts)) : one_of(others);
    op.max_count = one_of(max_counts), op.link = one_of(links);
    op.n = one_of(instances), op.kind = static_cast<K>(kinds(rng));
    if (op.kind == K::Remove && pick(3) > 0) {
      op.rid = Variant(op.id);
      if (pick(1) == 0) op.rvalue = Variant(one_of(texts));
    }
  }
  return ops;
}

// Runs a store operation on one side (the two sides share their members'
// names); its result as text, or the error that reached the caller.
template <class Side>
std::string Apply(const Op& op, Side& s) {
  try {
    switch (op.kind) {
      case K::Add:
        s.Add(op.tag, op.id, op.value, op.max_count, op.link);
        break;
      case K::ValueLet:
        s.Value(op.tag, op.id, op.value);
        break;
      case K::Remove:
        s.Remove(op.tag, op.rid, op.rvalue);
        break;
      case K::MoveFirst:
        s.MoveFirst(op.tag, op.id);
        break;
      case K::MoveNext:
        s.MoveNext(op.tag, op.id);
        break;
      case K::Eof:
        return s.Eof(op.tag, op.id) ? "True" : "False";
      case K::Count:
        return std::to_string(s.Count(op.tag, op.id));
      case K::Read:
        return Show(s.Read(op.tag, op.id));
      case K::Item:
        return Show(s.Item(op.tag, op.id, op.n));
      case K::ValueGet:
        return Show(s.Value(op.tag, op.id));
    }
  } catch (const Error& failure) {
    return "error " + std::to_string(failure.number());
  }
  return "done";
}

// The whole state: the records with their keys in store order (as
// StoreText gives them), cursors, changed, key counter.
std::string Render(const std::string& records, const std::map<std::string, int32_t>& cursors,
                   bool changed, int64_t keys) {
  std::ostringstream out;
  out << records;
  for (const auto& [name, cursor] : cursors) out << name << "@" << cursor << " ";
  out << "changed=" << changed << " keys=" << keys;
  return out.str();
}

std::string Render(const ReferenceStore& model) {
  std::string records;
  for (const ModelRecord& r : model.items) {
    records +=
        r.tag + "|" + r.id + "|" + std::to_string(r.instance) + "|" + r.value + "|" + r.key + "\n";
  }
  return Render(records, model.cursors, model.changed, model.key_counter);
}

std::string Render(ContextCls& context) {
  const detail::ContextState& state = detail::StateOf(context);
  return Render(StoreText(context), {state.cursors.begin(), state.cursors.end()}, state.changed,
                state.key_counter);
}

// Runs the steps on fresh objects; the first difference, with its step.
std::optional<std::string> FirstDifference(const std::vector<Op>& ops) {
  auto host = RecordingHost::Make();
  auto model_host = std::make_shared<ModelHost>();
  ContextCls real;
  real.SetApplicationContext(host);
  real.name("Ctx");
  ContextCls helper;  // without a host: the model's text of a value
  ReferenceStore model(
      [&helper](const Variant& v) { return helper.isBoolean(v) ? helper.cBoolStr(v) : CStr(v); },
      model_host);
  model.name = "Ctx";
  for (std::size_t step = 0; step < ops.size(); ++step) {
    std::string got = Apply(ops[step], real);
    std::string want = Apply(ops[step], model);
    for (const HostCall& c : host->calls()) got += " " + ModelHost::Format(c.op, c.args, c.error);
    for (const std::string& call : model_host->calls) want += " " + call;
    host->ClearCalls();
    model_host->calls.clear();
    if (got == want) {
      got = Render(real);
      want = Render(model);
    }
    if (got != want) {
      return "step " + std::to_string(step + 1) + " " + Describe(ops[step]) + ":\n  " + got +
             "\nexpected\n  " + want;
    }
  }
  return std::nullopt;
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text == nullptr ? fallback : std::strtoull(text, nullptr, 10);
}

TEST(StoreDifferential, MatchesReferenceModelOnRandomSequences) {
  const uint64_t base_seed = EnvNumber("TAMREL_STORE_SEED", 20240611);
  const uint64_t runs = EnvNumber("TAMREL_STORE_RUNS", 2000);
  for (uint64_t seed = base_seed; seed < base_seed + runs; ++seed) {
    const std::vector<Op> ops = RandomSequence(seed);
    if (const auto difference = FirstDifference(ops)) {
      std::string listing;
      for (const Op& op : ops) listing += "  " + Describe(op) + "\n";
      FAIL() << "seed " << seed << " (rerun with TAMREL_STORE_SEED=" << seed
             << " TAMREL_STORE_RUNS=1)\n"
             << *difference << "\nthe whole sequence:\n"
             << listing;
    }
  }
}

}  // namespace
}  // namespace tamrel::testing
