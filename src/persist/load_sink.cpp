#include "persist/load_sink.hpp"

#include "automation/error_trap.hpp"
#include "persist/byte_search.hpp"
#include "persist/entity_escaping.hpp"
#include "persist/load_instances.hpp"
#include "persist/older_contexts.hpp"

namespace tamrel::detail {
namespace {

// The Tag and Id of the element `next` starts with, as the reader will hand
// them over for an element in the form Save writes; false when there is
// none. Save writes the id attribute first, so it is looked for there
// before anywhere else in the start tag.
bool ForeseeElement(std::string_view next, std::string_view& tag, std::string_view& id) {
  constexpr std::string_view kIdAttribute = " id=\"";
  if (next.empty() || next[0] != '<') return false;
  const std::size_t name_end = FindByte<' ', '>'>(next, 1);
  std::size_t id_attribute = name_end;
  if (next.substr(name_end, kIdAttribute.size()) != kIdAttribute) {
    const std::string_view start_tag = next.substr(0, next.find('>', name_end));
    id_attribute = start_tag.find(kIdAttribute, name_end);
    if (id_attribute == std::string_view::npos) return false;
  }
  const std::size_t id_start = id_attribute + kIdAttribute.size();
  const std::size_t quote = FindByte<'"'>(next, id_start);
  if (quote == next.size()) return false;
  tag = next.substr(1, name_end - 1);
  id = next.substr(id_start, quote - id_start);
  return true;
}

// Whether two views are the same part of the same text.
bool SameView(std::string_view a, std::string_view b) {
  return a.data() == b.data() && a.size() == b.size();
}

}  // namespace

void LoadSink::StartTag(std::string_view element) {
  if (filing_ == RecordFiling::kDirect && !IsRootElement(element)) {
    // What StartItem would make current, minus the copy.
    pending_ = true;
    tag_ = element;
    id_ = {};
    hashed_ = false;
    instance_ = 0;
    return;
  }
  TakeTheUsualWay(kStartTag, element);
}

// While a record is pending, the reader's events are those of its element,
// which is not the root: an element's attributes and its text come right
// after its start tag.
void LoadSink::Attribute(std::string_view element, std::string_view name, std::string_view value) {
  if (pending_) {
    if (name == "id") {
      id_ = value;
      // In a store whose index has outgrown the nearest caches, the pair is
      // hashed as soon as its Id is known, and its index slot fetched while
      // the rest of the element is read; the lookup takes the hash from
      // here. (A smaller index is in the cache or soon there: fetching
      // ahead would cost more than it saves.)
      if (state_.items.IndexOutgrowsNearCaches()) {
        if (foreseen_ && SameView(tag_, foreseen_tag_) && SameView(id_, foreseen_id_)) {
          hash_ = foreseen_hash_;  // its slot was fetched a whole element ago
          hashed_ = true;
        } else {
          hashed_ = state_.items.Prefetch(tag_, id_, hash_);
        }
      }
      return;
    }
    // An instance that is not plain decimal text goes the usual way: its
    // conversion may fail and be reported.
    if (name != "instance" || PlainInstanceNumber(value, instance_)) return;
  }
  TakeTheUsualWay(kAttribute, element, name, value);
}

void LoadSink::ElementText(std::string_view element, std::string_view text, References references) {
  if (pending_ && FileDirectly(text, references)) return;
  TakeTheUsualWay(kElementText, element, text);
}

void LoadSink::TakeTheUsualWay(int16_t portion, std::string_view element, std::string_view first,
                               std::string_view second) {
  MakePendingCurrent();
  ProcessXMLEvent(state_, portion, element, first, second);
}

// A store whose index has outgrown the cache has each record's lookup
// fetched a whole element ahead, from a quick look at the next start tag.
// For a smaller index that look costs more than it saves: the fetch from the
// record's own Id (Attribute) comes early enough while the index fits the
// second-level cache.
void LoadSink::LookAhead(std::string_view next) {
  foreseen_ = state_.items.IndexOutgrowsCache() &&
              ForeseeElement(next, foreseen_tag_, foreseen_id_) &&
              state_.items.Prefetch(foreseen_tag_, foreseen_id_, foreseen_hash_);
}

void LoadSink::LevelFailed(const Error& failure, std::string_view rest) {
  MakePendingCurrent();
  CurrentErrorScope current(failure);
  HostApplication& host = Host(state_);
  host.RegisterError(ErrorLocation("DecodeXML"), std::string(kInitialStage));
  host.WriteDetail("XML: " + std::string(rest));
  host.HandleError(false, false, false);
  std::string error_text;
  host.GetErrorText(error_text);
}

bool LoadSink::FileDirectly(std::string_view text, References references) {
  LoadInstances* const instances = state_.load_instances;
  // A pair with a "$" is numbered by the Load's own table, not the store:
  // it goes the usual way, as does the separator value that gets cleaned.
  if (instances == nullptr || !LoadInstances::IsNumberedByStore(tag_, id_) ||
      IsCaptionSeparator(state_.name, tag_, id_)) {
    return false;
  }
  std::string_view value = text;
  TagStore& items = state_.items;
  bool quiet = false;  // past the check: a failure from there on is the append's
  try {
    if (references == References::kMaybe && HoldsByte<'&'>(text)) {  // most values hold none
      value_.clear();
      AppendDecoded(value_, text);
      value = value_;
    }
    instances->StartRound(items);
    // The pair is looked up once for the check and the append: `found` is
    // used where Locate left it, never copied, as a copy read back at once
    // would wait for the stores that wrote it.
    const TagStore::Found found = items.Locate(tag_, id_, hashed_ ? &hash_ : nullptr);
    // Quiet: the instance is the next the pair expects, so nothing is
    // repaired, dropped or logged. Otherwise nothing is filed, and the
    // usual way checks the record again.
    // No number yet counts as 0: a pair's first instance is 1.
    const int32_t reached = items.RoundNumberOr(found, tag_, id_, 0);
    if (instance_ != reached + 1) return false;
    quiet = true;
    pending_ = false;
    state_.has_current_item = false;
    // The append under ProcessXML's trap, as TakeElementText has it; a
    // failure is reported with the record current, as it would be there.
    Trapped(state_, "ProcessXML", [&] {
      const ItemView record{tag_, id_, instance_, value, NextItemKey(state_)};
      try {
        items.PushBack(record, instance_, found);
      } catch (...) {
        pending_ = true;
        MakePendingCurrent();
        state_.current_item.Value = value;
        state_.current_item.Key = record.Key;
        throw;
      }
    });
  } catch (...) {
    if (quiet) throw;  // reported under the append's trap, or the trap's own failure
    return false;      // the usual way meets the failure again, under its traps
  }
  return true;
}

void LoadSink::MakePendingCurrent() {
  if (!pending_) return;
  pending_ = false;
  ContextItem& item = state_.current_item;
  item.Tag.assign(tag_);
  item.Id.assign(id_);
  item.Instance = instance_;
  item.Value.clear();
  item.Key = 0;
  state_.has_current_item = true;
}

}  // namespace tamrel::detail
