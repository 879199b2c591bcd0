// Randomized differential test: random sequences of store operations run on
// two ContextCls objects and on two ReferenceStore models, comparing each
// result, every host call and, after every step, the whole state (records
// with their keys, cursors, changed, key counter).
//
// The base seed is TAMREL_STORE_SEED (default fixed), the number of
// sequences TAMREL_STORE_RUNS. A failure prints its seed and the shortest
// failing sequence found by removing steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "context/context_state.hpp"
#include "store/reference_store.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {
namespace {

enum class K {
  Add, ValueLet, Remove, Clear, MoveFirst, Eof, Read, MoveNext, Item, ValueGet, Exists, Count,
  CloneAdd, Clone, Copy, DropTarget, DetachHost, AttachHost, FailHost
};
const char* const kNames[] = {"Add", "Value=", "Remove", "Clear", "MoveFirst", "EOF", "Read",
                              "MoveNext", "Item", "Value", "Exists", "Count", "CloneAdd", "Clone",
                              "Copy", "DropTarget", "DetachHost", "AttachHost", "FailHost"};

struct Op {
  K kind = K::Add;
  int ctx = 0, other = 1;  // the object the step runs on; the target of Clone and Copy
  std::string tag, id, link, text;  // text: CloneAdd's value, FailHost's operation
  Variant value;
  std::optional<Variant> rid, rvalue;  // Remove's arguments
  int16_t max_count = 4;
  int32_t n = 0;  // CloneAdd's and Item's instance; FailHost's count
};

std::string Show(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return TypeName(v);
  return v.IsString() ? "\"" + v.AsString() + "\"" : TypeName(v) + "(" + CStr(v) + ")";
}

std::string Describe(const Op& op) {
  std::ostringstream out;
  out << "ctx" << op.ctx << "." << kNames[static_cast<int>(op.kind)] << " tag=\"" << op.tag
      << "\" id=\"" << op.id << "\" value=" << Show(op.value)
      << " rid=" << (op.rid ? Show(*op.rid) : "none")
      << " rvalue=" << (op.rvalue ? Show(*op.rvalue) : "none") << " max=" << op.max_count
      << " link=\"" << op.link << "\" text=\"" << op.text << "\" n=" << op.n << " other=ctx"
      << op.other;
  return out.str();
}

template <class T>
T OneOf(std::mt19937_64& rng, const std::vector<T>& choices) {
  return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(rng)];
}

std::vector<Op> RandomSequence(uint64_t seed) {
  std::mt19937_64 rng(seed);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
  const std::vector<std::string> texts = {"x", "y", "1", "c", "", "True", "true", "b_c"};
  const std::vector<Variant> others = {Variant::Null(), Variant(), Variant(true), Variant(false),
                                       Variant(int16_t{1}), Variant(int32_t{7}), Variant(2.5)};
  auto value = [&] { return pick(4) > 0 ? Variant(OneOf(rng, texts)) : OneOf(rng, others); };
  // The weight of each kind of step, in the order of K.
  std::discrete_distribution<int> kinds(
      {30, 4, 7, 2, 3, 3, 3, 7, 3, 3, 3, 3, 12, 4, 4, 2, 1, 1, 3});
  std::vector<Op> ops(static_cast<std::size_t>(1 + pick(69)));
  for (Op& op : ops) {
    op.ctx = pick(5) == 0 ? 1 : 0;
    op.other = 1 - op.ctx;
    op.tag = OneOf<std::string>(
        rng, {"T", "T", "T", "U", "Files", "a", "a_b", "Context", "context", ""});
    op.id = OneOf<std::string>(rng, {"x", "x", "y", "1", "c", "b_c", ""});
    op.value = value();
    op.max_count = OneOf<int16_t>(rng, {4, 4, 1, 2, 3, 0, -3, 32767, -32768});
    op.link = OneOf<std::string>(
        rng, {"", "", "'Files", "x'Files' U", "'U'Files'T", "Files", "' a_b ' ", "'T", "''"});
    op.text = OneOf(rng, texts);
    op.n = OneOf<int32_t>(rng, {1, 2, 3, 7, 0, -4, 32767, -32768, 32768, -40000});
    op.kind = static_cast<K>(kinds(rng));
    if (op.kind == K::Remove && pick(3) > 0) {
      op.rid = pick(9) > 0 ? Variant(op.id) : value();
      if (pick(1) == 0) op.rvalue = value();
    }
    if (op.kind == K::Clone && pick(3) == 0) op.other = op.ctx;
    if (op.kind == K::FailHost) {
      op.text = OneOf<std::string>(rng, {"WriteLog", "ShowMessage", "RegisterError",
                                         "HandleError"});
      op.n = 1 + pick(1);
    }
  }
  return ops;
}

// Runs a store operation on one side (the two sides share their members'
// names); its result as text, or the error that reached the caller.
template <class Side>
std::string Apply(const Op& op, std::shared_ptr<Side> (&objects)[2]) {
  Side& s = *objects[op.ctx];
  try {
    switch (op.kind) {
      case K::Add: s.Add(op.tag, op.id, op.value, op.max_count, op.link); break;
      case K::ValueLet: s.Value(op.tag, op.id, op.value); break;
      case K::Remove: s.Remove(op.tag, op.rid, op.rvalue); break;
      case K::Clear: s.Clear(); break;
      case K::MoveFirst: s.MoveFirst(op.tag, op.id); break;
      case K::MoveNext: s.MoveNext(op.tag, op.id); break;
      case K::CloneAdd: s.CloneAdd(op.tag, op.id, op.text, op.n); break;
      case K::Clone: s.Clone(objects[op.other]); break;
      case K::Copy: s.Copy(objects[op.other], op.tag); break;
      case K::Eof: return s.Eof(op.tag, op.id) ? "True" : "False";
      case K::Exists: return s.Exists(op.tag, op.id) ? "True" : "False";
      case K::Count: return std::to_string(s.Count(op.tag, op.id));
      case K::Read: return Show(s.Read(op.tag, op.id));
      case K::Item: return Show(s.Item(op.tag, op.id, op.n));
      case K::ValueGet: return Show(s.Value(op.tag, op.id));
      default: break;
    }
  } catch (const Error& failure) {
    return "error " + std::to_string(failure.number());
  }
  return "done";
}

// The whole state of one object as text: records with their keys in store
// order, cursors, changed, key counter.
std::string Render(const std::vector<ModelRecord>& records,
                   const std::map<std::string, int32_t>& cursors, bool changed, int64_t keys) {
  std::ostringstream out;
  for (const ModelRecord& r : records) {
    out << "{" << r.tag << "," << r.id << "," << r.instance << "," << r.value << "," << r.key
        << "}";
  }
  for (const auto& [name, cursor] : cursors) out << " " << name << "@" << cursor;
  out << " changed=" << changed << " keys=" << keys;
  return out.str();
}

std::string Render(ContextCls& context) {
  detail::ContextState& state = detail::StateOf(context);
  std::vector<ModelRecord> records;
  for (int32_t p = 1; p <= state.items.Count(); ++p) {  // by position: checks the index too
    const detail::ContextItem& item = state.items.At(p);
    records.push_back({item.Tag, item.Id, item.Instance, item.Value, item.Key});
  }
  return Render(records, {state.cursors.begin(), state.cursors.end()}, state.changed,
                state.key_counter);
}

class World {
 public:
  World() {
    auto helper = std::make_shared<ContextCls>();
    const ReferenceStore::TextOf text_of = [helper](const Variant& v) {
      return helper->isBoolean(v) ? helper->cBoolStr(v) : CStr(v);
    };
    for (int i = 0; i < 2; ++i) {
      real_[i] = std::make_shared<ContextCls>();
      real_[i]->SetApplicationContext(host_);
      real_[i]->name("Ctx" + std::to_string(i));
      model_[i] = std::make_shared<ReferenceStore>(text_of, model_host_);
      model_[i]->name = "Ctx" + std::to_string(i);
    }
  }

  // Runs one step on both sides; the first difference, if any.
  std::optional<std::string> Step(const Op& op) {
    if (!real_[op.ctx]) return std::nullopt;
    const std::string got = Apply(op, real_);
    const std::string want = Apply(op, model_);
    if (op.kind == K::DropTarget) {
      real_[1].reset();
      model_[1].reset();
    } else if (op.kind == K::DetachHost || op.kind == K::AttachHost) {
      const bool attach = op.kind == K::AttachHost;
      real_[op.ctx]->SetApplicationContext(attach ? host_ : nullptr);
      model_[op.ctx]->SetApplicationContext(attach ? model_host_ : nullptr);
    } else if (op.kind == K::FailHost) {
      host_->FailOn(op.text, 70, op.n);
      model_host_->failures[op.text] = {70, op.n};
    }
    if (got != want) return "result " + got + ", expected " + want;
    std::vector<std::string> calls;
    for (const HostCall& c : host_->calls()) {
      calls.push_back(ModelHost::Format(c.op, c.args, c.error.number));
    }
    for (std::size_t i = 0; i < std::max(calls.size(), model_host_->calls.size()); ++i) {
      const std::string made = i < calls.size() ? calls[i] : "none";
      const std::string expected = i < model_host_->calls.size() ? model_host_->calls[i] : "none";
      if (made != expected) return "host call " + made + ", expected " + expected;
    }
    for (int i = 0; i < 2; ++i) {
      if (!real_[i]) continue;
      const std::string real = Render(*real_[i]);
      const ReferenceStore& m = *model_[i];
      const std::string model = Render(m.items, m.cursors, m.changed, m.key_counter);
      if (real != model) return "ctx" + std::to_string(i) + ": " + real + "\nexpected " + model;
    }
    return std::nullopt;
  }

 private:
  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ModelHost> model_host_ = std::make_shared<ModelHost>();
  std::shared_ptr<ContextCls> real_[2];
  std::shared_ptr<ReferenceStore> model_[2];
};

// The first difference of a sequence run from fresh objects, with its step.
std::optional<std::string> FirstDifference(const std::vector<Op>& ops) {
  World world;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (auto difference = world.Step(ops[i])) {
      return "step " + std::to_string(i + 1) + " " + Describe(ops[i]) + ": " + *difference;
    }
  }
  return std::nullopt;
}

// Removes steps, in halving chunks, as long as the sequence still fails.
std::vector<Op> Shrink(std::vector<Op> ops) {
  for (std::size_t chunk = ops.size() / 2; chunk >= 1; chunk /= 2) {
    for (std::size_t start = 0; start + chunk <= ops.size();) {
      std::vector<Op> candidate = ops;
      candidate.erase(candidate.begin() + static_cast<std::ptrdiff_t>(start),
                      candidate.begin() + static_cast<std::ptrdiff_t>(start + chunk));
      if (FirstDifference(candidate)) {
        ops = std::move(candidate);
      } else {
        start += chunk;
      }
    }
  }
  return ops;
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text == nullptr ? fallback : std::strtoull(text, nullptr, 10);
}

TEST(StoreDifferential, MatchesReferenceModelOnRandomSequences) {
  const uint64_t base_seed = EnvNumber("TAMREL_STORE_SEED", 20240611);
  const uint64_t runs = EnvNumber("TAMREL_STORE_RUNS", 2000);
  for (uint64_t seed = base_seed; seed < base_seed + runs; ++seed) {
    if (!FirstDifference(RandomSequence(seed))) continue;
    const std::vector<Op> shortest = Shrink(RandomSequence(seed));
    std::string listing;
    for (const Op& op : shortest) listing += "  " + Describe(op) + "\n";
    FAIL() << "seed " << seed << " (rerun with TAMREL_STORE_SEED=" << seed
           << " TAMREL_STORE_RUNS=1)\n"
           << *FirstDifference(shortest) << "\nshortest failing sequence:\n"
           << listing;
  }
}

}  // namespace
}  // namespace tamrel::testing
