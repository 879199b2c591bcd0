// Load files most records straight from the reader's views; whatever it
// files so must come out exactly as the ProcessXML events, taken one by one,
// would have it: the same store, log lines, error reports, `changed` flag
// and current record, also when host code re-enters the context.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "context/state_of.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "persist_fixture.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

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

// What a read leaves behind, as text: the store and the host's calls, then
// `changed`, the current record and the error that reached the caller.
std::string Read(const std::string& name, const std::string& text, detail::RecordFiling filing,
                 const std::function<void(ContextCls&, ReenteringHost&)>& arrange) {
  auto context = std::make_shared<ContextCls>();
  auto host = std::make_shared<ReenteringHost>();
  context->SetApplicationContext(host);
  context->name(name);
  arrange(*context, *host);
  detail::ContextState& state = detail::StateOf(*context);
  const int32_t raised = Decode(*context, text, filing);
  const detail::ContextItem& current = state.current_item;
  return StoreText(*context) + HostCallsText(*host) + (state.changed ? "changed " : "unchanged ") +
         (state.has_current_item
              ? current.Tag + "|" + current.Id + "|" + std::to_string(current.Instance) + "|" +
                    current.Value + "|A" + std::to_string(current.Key)
              : "no current") +
         "\nraised " + std::to_string(raised);
}

void ExpectSameFiling(const std::string& name, const std::string& text,
                      const std::function<void(ContextCls&, ReenteringHost&)>& arrange) {
  ASSERT_EQ(Read(name, text, detail::RecordFiling::kDirect, arrange),
            Read(name, text, detail::RecordFiling::kEventByEvent, arrange))
      << name << ": " << text;
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
