// LoadSink: what DecodeXML hands the reader. It files each element's record
// as the ProcessXML events the reader reports would file it, and reports a
// failed level to the host.
//
// A record of the usual shape (a start tag, its id and plain instance
// number, its text, a Tag and Id without "$", whose instances the store
// counts, and a check that finds nothing to repair or log) is not
// copied into the context's current record event by event: the sink keeps
// the reader's views of its Tag and Id as the pending record (views of the
// text, which outlives the read) and files it from there when its text
// comes. Anything else — an event it does not take so, a check that would
// run host code, a failure, the end of the read — first makes the pending
// record the current record, as the events would have left it, and then
// takes the event the usual way. Host code therefore always finds the
// current record the events would have made. (The reader hands every
// element it starts its text, or fails the level: no record stays pending
// once a read has ended.)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "persist/context_reader.hpp"
#include "persist/context_state.hpp"
#include "persist/process_xml.hpp"
#include "store/tag_store.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {

class LoadSink final : public ReaderSink {
 public:
  LoadSink(ContextState& state, RecordFiling filing) : state_(state), filing_(filing) {}

  void StartTag(std::string_view element) override;
  void Attribute(std::string_view element, std::string_view name, std::string_view value) override;
  void ElementText(std::string_view element, std::string_view text, References references) override;
  void EndTag(std::string_view /*element*/) override {}
  void LookAhead(std::string_view next) override;
  void LevelFailed(const Error& failure, std::string_view rest) override;

 private:
  // Files the pending record with `text` as its value when its check is
  // quiet; false, with nothing filed, when it must go the usual way.
  bool FileDirectly(std::string_view text, References references);
  void MakePendingCurrent();
  // Makes the pending record current, then takes the event as ProcessXML.
  // Kept out of the event members, so that their usual path stays short.
  void TakeTheUsualWay(int16_t portion, std::string_view element, std::string_view first = {},
                       std::string_view second = {});

  ContextState& state_;
  const RecordFiling filing_;
  bool pending_ = false;
  std::string_view tag_;
  std::string_view id_;
  int16_t instance_ = 0;
  std::string value_;      // the decoded text of the record being filed, if it has references
  bool hashed_ = false;    // whether hash_ is the pending record's pair's
  TagStore::Hashed hash_;  // fetched ahead from the pending record's Id
  // The record LookAhead saw coming, whose slot it fetched; its hash is
  // taken for the record's lookup when the reader hands over these views.
  bool foreseen_ = false;
  std::string_view foreseen_tag_;
  std::string_view foreseen_id_;
  TagStore::Hashed foreseen_hash_;
};

}  // namespace tamrel::detail
