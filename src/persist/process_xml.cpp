// ProcessXML: builds records from the reader's events.
//
// A start tag makes a new current record (dropping any record still held),
// the id and instance attributes fill its keys, and the element text sets
// its value, has it checked and, when accepted, appends it to the store under
// a new key. The append bypasses Add: no checks, limits or `changed`. Events
// of the root element "context", in any letter case, are ignored.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "persist/process_xml.hpp"

#include "automation/ascii_case.hpp"
#include "automation/error_trap.hpp"
#include "persist/context_reader.hpp"
#include "persist/context_state.hpp"
#include "persist/entity_escaping.hpp"
#include "persist/load_validation.hpp"
#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using detail::kAttribute;
using detail::kElementText;
using detail::kStartTag;

bool IsRootElement(std::string_view tag) { return detail::EqualsIgnoringAsciiCase(tag, "context"); }

// The instance attribute as the run-time's CInt reads it. Plain decimal text
// (what Save writes) is read directly; anything else goes through CInt,
// which rounds, allows blanks and raises 13 or 6.
int16_t InstanceNumber(std::string_view text) {
  int16_t number = 0;
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, number);
  if (ec == std::errc() && stop == end && !text.empty()) return number;
  return CInt(Variant(std::string(text)));
}

detail::ContextItem& CurrentItem(detail::ContextState& state) {
  if (!state.has_current_item) Raise(errc::kObjectNotSet);
  return state.current_item;
}

// A new current record of `tag`, with no Id, Instance or Value yet, in the
// memory the record before left.
void StartItem(detail::ContextState& state, std::string_view tag) {
  detail::ContextItem& item = state.current_item;
  item.Tag.assign(tag);
  item.Id.clear();
  item.Instance = 0;
  item.Value.clear();
  item.Key = 0;
  state.has_current_item = true;
}

void EndItem(detail::ContextState& state) { state.has_current_item = false; }

void TakeElementText(detail::ContextState& state, std::string_view text) {
  detail::ContextItem& item = CurrentItem(state);
  detail::DecodeSpecialChrsInto(state, text, item.Value);
  const uint64_t events = state.xml_events;
  if (detail::ValidateLoadItem(state, item)) {
    // The check may have written to the host's log, and host code run from
    // there may have ended the record with ProcessXML events of its own:
    // the record is looked up again (error 91 when it is gone), and so is
    // its pair, unless no event came in between.
    detail::ContextItem& checked = CurrentItem(state);
    checked.Key = detail::NextItemKey(state);
    detail::LoadInstances::Filing filing;
    if (state.load_instances != nullptr) filing = state.load_instances->TakeFiling();
    if (filing.found && state.xml_events == events) {
      state.items.PushBack(checked, filing.number, *filing.found);
    } else {
      state.items.PushBack(checked, filing.number);
    }
  }
  EndItem(state);
}

void TakeAttribute(detail::ContextState& state, std::string_view name, std::string_view value) {
  if (name == "id") {
    detail::ContextItem& item = CurrentItem(state);
    item.Id = value;
  } else if (name == "instance") {
    detail::ContextItem& item = CurrentItem(state);
    item.Instance = InstanceNumber(value);
  }
}

}  // namespace

void detail::ProcessXMLEvent(ContextState& state, int16_t xmlPortion, std::string_view xmlTag,
                             std::string_view attrOrElement, std::string_view attrVal) {
  ++state.xml_events;
  Trapped(state, "ProcessXML", [&] {
    if (IsRootElement(xmlTag)) return;
    switch (xmlPortion) {
      case kStartTag:
        StartItem(state, xmlTag);
        break;
      case kElementText:
        TakeElementText(state, attrOrElement);
        break;
      case kAttribute:
        TakeAttribute(state, attrOrElement, attrVal);
        break;
      default:
        break;
    }
  });
}

namespace {

// Save writes the id attribute first, so it is looked for there before
// anywhere else in the start tag.
void ForeseeElement(detail::ContextState& state, std::string_view next) {
  constexpr std::string_view kIdAttribute = " id=\"";
  if (next.empty() || next[0] != '<') return;
  std::size_t name_end = 1;
  while (name_end < next.size() && next[name_end] != ' ' && next[name_end] != '>') ++name_end;
  std::size_t id_attribute = name_end;
  if (next.substr(name_end, kIdAttribute.size()) != kIdAttribute) {
    const std::string_view start_tag = next.substr(0, next.find('>', name_end));
    id_attribute = start_tag.find(kIdAttribute, name_end);
    if (id_attribute == std::string_view::npos) return;
  }
  const std::size_t id = id_attribute + kIdAttribute.size();
  std::size_t quote = id;
  while (quote < next.size() && next[quote] != '"') ++quote;
  if (quote == next.size()) return;
  state.items.Prefetch(next.substr(1, name_end - 1), next.substr(id, quote - id));
}

// The reader's events as ProcessXML events, and the reporting of a failed
// level to the host.
class RecordSink final : public detail::ReaderSink {
 public:
  explicit RecordSink(detail::ContextState& state) : state_(state) {}

  void StartTag(std::string_view element) override {
    detail::ProcessXMLEvent(state_, kStartTag, element);
  }

  // A store whose index has outgrown the cache has each record's lookup
  // fetched a whole element ahead (LookAhead). A smaller index stays in the
  // cache from one record to the next: fetching it early would cost more
  // (a hash of the Tag and Id) than it saves.
  void Attribute(std::string_view element, std::string_view name, std::string_view value) override {
    detail::ProcessXMLEvent(state_, kAttribute, element, name, value);
  }

  void LookAhead(std::string_view next) override {
    if (state_.items.IndexOutgrowsCache()) ForeseeElement(state_, next);
  }

  void ElementText(std::string_view element, std::string_view text) override {
    detail::ProcessXMLEvent(state_, kElementText, element, text);
  }

  void EndTag(std::string_view /*element*/) override {}

  void LevelFailed(const Error& failure, std::string_view rest) override {
    detail::CurrentErrorScope current(failure);
    HostApplication& host = detail::Host(state_);
    host.RegisterError(detail::ErrorLocation("DecodeXML"), std::string(detail::kInitialStage));
    host.WriteDetail("XML: " + std::string(rest));
    host.HandleError(false, false, false);
    std::string error_text;
    host.GetErrorText(error_text);
  }

 private:
  detail::ContextState& state_;
};

}  // namespace

void detail::DecodeXML(ContextState& state, std::string_view xml) {
  RecordSink sink(state);
  ReadContextText(xml, sink);
}

}  // namespace tamrel
