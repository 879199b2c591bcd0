// Load files most records straight from the reader's views; whatever it
// files so must come out exactly as the ProcessXML events, taken one by one,
// would have it: the same store, log lines, error reports, `changed` flag
// and current record, also when host code re-enters the context.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "context/state_of.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "persist_fixture.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

// A context file text without line breaks: mostly records as Save writes
// them, with instances that repeat, skip and are not numbers, pairs that
// hold "$", the ids with rules of their own, and now and then an element
// of another shape.
std::string RandomText(Picker& pick) {
  const std::vector<std::string> tags = {"W", "Tab", "T$", "Caption", "context", "CONTEXT"};
  const std::vector<std::string> ids = {
      "x", "y", "$z", "ShowTextSep", "ShowTextDesc", "Created", "showtextsep"};
  const std::vector<std::string> instances = {"1", "1",  "2",   "2",  "3",    "5",
                                              "0", "-1", "abc", " 2", "70000"};
  const std::vector<std::string> values = {"v", "a &amp; b", "&lt;x&gt;", "a\\bb\\c", ""};
  std::string text = "<context>";
  for (std::size_t count = 1 + pick.Below(12); count > 0; --count) {
    const std::string& tag = pick.From(tags);
    const std::string id = " id=\"" + pick.From(ids) + "\"";
    const std::string instance = " instance=\"" + pick.From(instances) + "\"";
    const std::string& value = pick.From(values);
    switch (pick.Below(10)) {
      case 0:  // no instance, or no attributes at all
        text += "<" + tag + (pick.Below(2) ? id : "") + ">" + value + "</" + tag + ">";
        break;
      case 1:  // attributes in another order, and one of no meaning
        text += "<" + tag + instance + " kind=\"k\"" + id + ">" + value + "</" + tag + ">";
        break;
      case 2:  // a nested element
        text += "<" + tag + id + instance + ">" + value + "<B" + id + ">w</B></" + tag + ">";
        break;
      case 3:  // text before the tag
        text += "t<" + tag + id + ">" + value + "</" + tag + ">";
        break;
      default:
        text += "<" + tag + id + instance + ">" + value + "</" + tag + ">";
    }
  }
  if (pick.Below(8) == 0) text.erase(text.size() - 1 - pick.Below(text.size() / 2));
  return text + "</context>";
}

// What a read leaves behind, all of it comparable.
struct Outcome {
  std::vector<std::string> records;  // tag/id/instance/value/key, store order
  std::vector<std::string> host_calls;
  bool changed = false;
  std::string current;  // the current record, if any
  int32_t raised = 0;

  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  for (const std::string& record : outcome.records) out << "record " << record << "\n";
  for (const std::string& call : outcome.host_calls) out << "host " << call << "\n";
  return out << "changed " << outcome.changed << ", current " << outcome.current << ", raised "
             << outcome.raised;
}

Outcome Read(const std::string& name, const std::string& text, detail::RecordFiling filing,
             const std::function<void(ContextCls&, ReenteringHost&)>& arrange) {
  auto context = std::make_shared<ContextCls>();
  auto host = std::make_shared<ReenteringHost>();
  context->SetApplicationContext(host);
  context->name(name);
  arrange(*context, *host);
  detail::ContextState& state = detail::StateOf(*context);
  Outcome outcome;
  {
    detail::LoadInstancesScope instances(state);
    try {
      detail::DecodeXML(state, text, filing);
    } catch (const Error& error) {
      outcome.raised = error.number();
    }
  }
  const auto show = [](std::string_view tag, std::string_view id, int instance,
                       std::string_view value, int64_t key) {
    return std::string(tag) + "/" + std::string(id) + "/" + std::to_string(instance) + "/" +
           std::string(value) + "/A" + std::to_string(key);
  };
  state.items.ForEach([&](const detail::ItemView& item) {
    outcome.records.push_back(show(item.Tag, item.Id, item.Instance, item.Value, item.Key));
  });
  for (const HostCall& call : host->calls()) {
    std::string shown = call.op + " " + std::to_string(call.error.number);
    for (const std::string& arg : call.args) shown += " | " + arg;
    outcome.host_calls.push_back(shown);
  }
  outcome.changed = state.changed;
  if (state.has_current_item) {
    const detail::ContextItem& item = state.current_item;
    outcome.current = show(item.Tag, item.Id, item.Instance, item.Value, item.Key);
  }
  return outcome;
}

void ExpectSameFiling(const std::string& name, const std::string& text,
                      const std::function<void(ContextCls&, ReenteringHost&)>& arrange) {
  const Outcome direct = Read(name, text, detail::RecordFiling::kDirect, arrange);
  const Outcome by_events = Read(name, text, detail::RecordFiling::kEventByEvent, arrange);
  ASSERT_EQ(direct, by_events) << name << ": " << text;
}

// Host code that runs from a log line or an error report and sends events
// of its own, or changes the store, must find the current record the
// events would have made, whichever way the records before it were filed.
TEST(LoadSinkTest, RecordsFiledDirectlyComeOutAsTheirEventsWouldHaveThem) {
  Picker pick(2024);
  const std::vector<std::function<void(ContextCls&)>> acts = {
      nullptr,  // a host that only records
      [](ContextCls& context) { context.ProcessXML(2, "W", "id", "host"); },
      [](ContextCls& context) { context.ProcessXML(1, "W", "from host"); },
      [](ContextCls& context) { context.ProcessXML(0, "H"); },
      [](ContextCls& context) { context.Add("W", "x", Variant("added")); },
      [](ContextCls& context) { context.Clear(); },
  };
  for (int round = 0; round < 6000; ++round) {
    const std::string text = RandomText(pick);
    const std::string op = pick.Below(2) ? "WriteLog" : "RegisterError";
    const int nth = 1 + static_cast<int>(pick.Below(3));
    const std::function<void(ContextCls&)>& act = pick.Below(2) ? acts[0] : pick.From(acts);
    const std::string name = pick.Below(3) == 0 ? "NewAlbumDefaults" : "ctx";
    ExpectSameFiling(name, text, [&](ContextCls& context, ReenteringHost& host) {
      host.op = op;
      host.nth = nth;
      if (act) host.act = [&context, &act] { act(context); };
    });
  }
}

}  // namespace
}  // namespace tamrel::testing
