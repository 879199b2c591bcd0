// Fuzz target for the context file reader.
//
// Any input must be read or fail with a tamrel::Error, never crash, hang or
// leak. The reader is driven through a sink that checks what it is handed
// (every event a view into the input, every element ended once it started,
// failures told level by level before the error is raised), through a sink
// that writes its events down (elements in the form Save writes, read by
// their own pass, must give what the general path gives), and through the
// sink Load uses, both ways it files records (straight from the reader's
// views, and event by event), which must agree. Two more properties are
// checked: escaping round-trips the input, and a store read from the input,
// written out as a context file text, reads back as the same records (when
// its tags and ids are plain names, the only ones the file format carries
// faithfully).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "context/state_of.hpp"
#include "fuzz_records.hpp"
#include "persist/context_reader.hpp"
#include "persist/context_text.hpp"
#include "persist/entity_escaping.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace {

using tamrel::fuzzing::HasOnlyPlainNames;
using tamrel::fuzzing::Records;
using tamrel::fuzzing::RecordsOf;

std::shared_ptr<tamrel::ContextCls> NewContext() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<tamrel::testing::DiscardingHost>());
  return context;
}

void Check(bool holds) {
  if (!holds) std::abort();
}

// Checks the reader's side of the sink contract.
class CheckingSink final : public tamrel::detail::ReaderSink {
 public:
  explicit CheckingSink(std::string_view input) : input_(input) {}

  void StartTag(std::string_view element) override {
    CheckInside(element);
    ++open_;
  }
  void Attribute(std::string_view element, std::string_view /*name*/,
                 std::string_view value) override {
    // A name may be the reader's own text (one carried over from the
    // element before), so only the element and the value must be views of
    // the input; it may be empty ('<A ="x">').
    CheckInside(element);
    CheckInside(value);
    Check(open_ > 0);
  }
  void ElementText(std::string_view element, std::string_view text,
                   tamrel::detail::References references) override {
    CheckInside(element);
    CheckInside(text);
    // A text said to hold no "&" must hold none: its references would go
    // undecoded.
    Check(references == tamrel::detail::References::kMaybe ||
          text.find('&') == std::string_view::npos);
  }
  void EndTag(std::string_view element) override {
    CheckInside(element);
    Check(open_ > 0);
    --open_;
  }
  void LookAhead(std::string_view next) override { CheckInside(next); }
  void LevelFailed(const tamrel::Error& failure, std::string_view rest) override {
    CheckInside(rest);
    Check(levels_failed_ == 0 || failure.number() == first_failure_);
    if (levels_failed_++ == 0) first_failure_ = failure.number();
  }

  // After the read: raised exactly when a level failed, with that error;
  // a read that succeeded ended every element it started.
  void CheckOutcome(const tamrel::Error* raised) const {
    Check((raised != nullptr) == (levels_failed_ > 0));
    if (raised != nullptr) Check(raised->number() == first_failure_);
    if (raised == nullptr) Check(open_ == 0);
  }

 private:
  void CheckInside(std::string_view part) const {
    if (part.empty()) return;
    Check(part.data() >= input_.data() &&
          part.data() + part.size() <= input_.data() + input_.size());
  }

  std::string_view input_;
  int open_ = 0;
  int levels_failed_ = 0;
  int32_t first_failure_ = 0;
};

void CheckReaderEvents(std::string_view text) {
  CheckingSink sink(text);
  try {
    tamrel::detail::ReadContextText(text, sink);
  } catch (const tamrel::Error& raised) {
    sink.CheckOutcome(&raised);
    return;
  }
  sink.CheckOutcome(nullptr);
}

// Writes each event as one line, so that two reads can be compared.
class TracingSink final : public tamrel::detail::ReaderSink {
 public:
  void StartTag(std::string_view element) override { Add("S", element); }
  void Attribute(std::string_view element, std::string_view name, std::string_view value) override {
    Add("A", element, name, value);
  }
  void ElementText(std::string_view element, std::string_view text,
                   tamrel::detail::References /*references*/) override {
    Add("T", element, text);
  }
  void EndTag(std::string_view element) override { Add("E", element); }
  void LookAhead(std::string_view next) override { Add("L", next); }
  void LevelFailed(const tamrel::Error& failure, std::string_view rest) override {
    Add("F", std::to_string(failure.number()), rest);
  }

  std::string trace;

 private:
  void Add(std::string_view kind, std::string_view a, std::string_view b = {},
           std::string_view c = {}) {
    for (std::string_view part : {kind, a, b, c}) trace.append(part).push_back('\0');
    trace.push_back('\n');
  }
};

// Elements in the form Save writes take a pass of their own; it must hand
// over what the general path hands over.
void CheckPlainElementPass(std::string_view text) {
  const auto trace = [text](tamrel::detail::PlainElements plain) {
    TracingSink sink;
    try {
      tamrel::detail::ReadContextText(text, sink, plain);
    } catch (const tamrel::Error& raised) {
      sink.trace += "raised " + std::to_string(raised.number());
    }
    return sink.trace;
  };
  Check(trace(tamrel::detail::PlainElements::kOwnPass) ==
        trace(tamrel::detail::PlainElements::kGeneralPath));
}

// Decodes as Load does, in Load's own instance scope; false when the reader
// failed.
bool Decode(tamrel::ContextCls& context, std::string_view text,
            tamrel::detail::RecordFiling filing = tamrel::detail::RecordFiling::kDirect) {
  tamrel::detail::ContextState& state = tamrel::detail::StateOf(context);
  tamrel::detail::LoadInstancesScope instances(state);
  try {
    tamrel::detail::DecodeXML(state, text, filing);
  } catch (const tamrel::Error&) {
    return false;
  }
  return true;
}

// Records filed straight from the reader's views come out as their
// ProcessXML events, taken one by one, would have them.
void CheckDirectFiling(std::string_view text, tamrel::ContextCls& direct) {
  auto by_events = NewContext();
  Decode(*by_events, text, tamrel::detail::RecordFiling::kEventByEvent);
  Check(RecordsOf(direct) == RecordsOf(*by_events));
  const tamrel::detail::ContextState& a = tamrel::detail::StateOf(direct);
  const tamrel::detail::ContextState& b = tamrel::detail::StateOf(*by_events);
  Check(a.changed == b.changed && a.has_current_item == b.has_current_item);
  if (a.has_current_item) {
    const tamrel::detail::ContextItem& x = a.current_item;
    const tamrel::detail::ContextItem& y = b.current_item;
    Check(x.Tag == y.Tag && x.Id == y.Id && x.Instance == y.Instance && x.Value == y.Value &&
          x.Key == y.Key);
  }
}

void CheckEscapingRoundTrip(std::string_view text) {
  std::string encoded;
  tamrel::detail::AppendEncoded(encoded, text);
  std::string decoded;
  tamrel::detail::AppendDecoded(decoded, encoded);
  if (decoded != text) std::abort();
}

// Load removes CR LF pairs, in one pass from left to right, before decoding.
std::string WithoutCrLf(std::string_view text) {
  std::string kept;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
       at = text.find("\r\n", from)) {
    kept.append(text.substr(from, at - from));
    from = at + 2;
  }
  kept.append(text.substr(from));
  return kept;
}

void CheckStoreRoundTrip(tamrel::ContextCls& context) {
  Records records = RecordsOf(context);
  if (!HasOnlyPlainNames(records)) return;
  for (auto& record : records) std::get<3>(record) = WithoutCrLf(std::get<3>(record));
  std::string text = tamrel::detail::ContextText(tamrel::detail::StateOf(context));
  auto again = NewContext();
  if (!Decode(*again, WithoutCrLf(text)) || RecordsOf(*again) != records) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckEscapingRoundTrip(text);
  CheckReaderEvents(text);
  CheckPlainElementPass(text);
  auto context = NewContext();
  Decode(*context, text);
  CheckDirectFiling(text, *context);
  CheckStoreRoundTrip(*context);
  return 0;
}
