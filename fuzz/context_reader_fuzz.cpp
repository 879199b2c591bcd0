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
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "context/state_of.hpp"
#include "fuzz_records.hpp"
#include "persist/context_reader.hpp"
#include "persist/context_text.hpp"
#include "persist/entity_escaping.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "persist/tracing_sink.hpp"
#include "support/discarding_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"

namespace {

namespace detail = tamrel::detail;
using tamrel::fuzzing::Check;
using tamrel::fuzzing::HasOnlyPlainNames;
using tamrel::fuzzing::Records;

std::shared_ptr<tamrel::ContextCls> NewContext() {
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(std::make_shared<tamrel::testing::DiscardingHost>());
  return context;
}

// Checks the reader's side of the sink contract.
class CheckingSink final : public detail::ReaderSink {
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
                   detail::References references) override {
    CheckInside(element);
    CheckInside(text);
    // A text said to hold no "&" must hold none: its references would go
    // undecoded.
    Check(references == detail::References::kMaybe || text.find('&') == std::string_view::npos);
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
    Check(raised != nullptr ? raised->number() == first_failure_ : open_ == 0);
  }

 private:
  void CheckInside(std::string_view part) const {
    Check(part.empty() || (part.data() >= input_.data() &&
                           part.data() + part.size() <= input_.data() + input_.size()));
  }

  std::string_view input_;
  int open_ = 0;
  int levels_failed_ = 0;
  int32_t first_failure_ = 0;
};

void CheckReaderEvents(std::string_view text) {
  CheckingSink sink(text);
  try {
    detail::ReadContextText(text, sink);
  } catch (const tamrel::Error& raised) {
    sink.CheckOutcome(&raised);
    return;
  }
  sink.CheckOutcome(nullptr);
}

// Elements in the form Save writes take a pass of their own; it must hand
// over what the general path hands over.
void CheckPlainElementPass(std::string_view text) {
  using detail::PlainElements;
  Check(tamrel::testing::TraceOf(text, PlainElements::kOwnPass) ==
        tamrel::testing::TraceOf(text, PlainElements::kGeneralPath));
}

// Decodes as Load does, in Load's own instance scope; false when the reader
// failed.
bool Decode(tamrel::ContextCls& context, std::string_view text,
            detail::RecordFiling filing = detail::RecordFiling::kDirect) {
  detail::ContextState& state = detail::StateOf(context);
  detail::LoadInstancesScope instances(state);
  try {
    detail::DecodeXML(state, text, filing);
  } catch (const tamrel::Error&) {
    return false;
  }
  return true;
}

// Records filed straight from the reader's views come out as their
// ProcessXML events, taken one by one, would have them.
void CheckDirectFiling(std::string_view text, tamrel::ContextCls& direct) {
  auto by_events = NewContext();
  Decode(*by_events, text, detail::RecordFiling::kEventByEvent);
  Check(tamrel::Records(direct) == tamrel::Records(*by_events));
  const detail::ContextState& a = detail::StateOf(direct);
  const detail::ContextState& b = detail::StateOf(*by_events);
  Check(a.changed == b.changed && a.has_current_item == b.has_current_item);
  const detail::ContextItem& x = a.current_item;
  const detail::ContextItem& y = b.current_item;
  Check(!a.has_current_item || (x.Tag == y.Tag && x.Id == y.Id && x.Instance == y.Instance &&
                                x.Value == y.Value && x.Key == y.Key));
}

void CheckEscapingRoundTrip(std::string_view text) {
  std::string encoded(detail::EncodedSize(text), '\0');
  Check(detail::WriteEncoded(encoded.data(), text) == encoded.data() + encoded.size());
  std::string decoded;
  detail::AppendDecoded(decoded, encoded);
  Check(decoded == text);
}

// Load removes CR LF pairs, in one pass from left to right, before decoding.
std::string WithoutCrLf(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 2);
  }
  return text;
}

void CheckStoreRoundTrip(tamrel::ContextCls& context) {
  Records records = tamrel::Records(context);
  if (!HasOnlyPlainNames(records)) return;
  for (tamrel::Record& record : records) record.value = WithoutCrLf(record.value);
  std::string text = detail::ContextText(detail::StateOf(context));
  auto again = NewContext();
  Check(Decode(*again, WithoutCrLf(text)) && tamrel::Records(*again) == records);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckEscapingRoundTrip(text);
  CheckReaderEvents(text);
  CheckPlainElementPass(text);
  const auto context = NewContext();
  Decode(*context, text);
  CheckDirectFiling(text, *context);
  CheckStoreRoundTrip(*context);
  return 0;
}
