// ProcessXML: builds records from the reader's events.
//
// A start tag makes a new current record (dropping any record still held),
// the id and instance attributes fill its keys, and the element text sets
// its value, has it checked and, when accepted, appends it to the store under
// a new key. The append bypasses Add: no checks, limits or `changed`. Events
// of the root element "context", in any letter case, are ignored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "persist/process_xml.hpp"

#include "automation/error_trap.hpp"
#include "persist/context_reader.hpp"
#include "persist/context_state.hpp"
#include "persist/entity_escaping.hpp"
#include "persist/load_sink.hpp"
#include "persist/load_validation.hpp"
#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::detail {
namespace {

using detail::kAttribute;
using detail::kElementText;
using detail::kStartTag;

// The instance attribute as the run-time's CInt reads it. Plain decimal text
// (what Save writes) is read directly; anything else goes through CInt,
// which rounds, allows blanks and raises 13 or 6.
int16_t InstanceNumber(std::string_view text) {
  int16_t number = 0;
  if (detail::PlainInstanceNumber(text, number)) return number;
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
      state.items.PushBack(detail::ViewOf(checked), filing.number, *filing.found);
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

void ProcessXMLEvent(ContextState& state, int16_t xmlPortion, std::string_view xmlTag,
                     std::string_view attrOrElement, std::string_view attrVal) {
  ++state.xml_events;
  Trapped(state, "ProcessXML", [&] {
    if (detail::IsRootElement(xmlTag)) return;
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

void DecodeXML(ContextState& state, std::string_view xml, RecordFiling filing) {
  LoadSink sink(state, filing);
  ReadContextText(xml, sink);
}

}  // namespace tamrel::detail
