// RoundTrips: whether a record survives the context file, decided by the
// file's own writer and reader rather than by a list of rules beside them.
#include <memory>
#include <string>

#include "automation/silent_host.hpp"
#include "persist/context_state.hpp"
#include "persist/context_text.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "tamrel/error.hpp"
#include "tamrel/round_trip.hpp"

namespace tamrel {
namespace {

// The text Save writes for a store holding only `record`, as Load reads it
// (its lines joined).
std::string FileTextOf(const detail::ContextItem& record) {
  detail::ContextState written;
  written.items.PushBack(detail::ContextItem(record));
  std::string text = detail::SaveText(written);
  detail::JoinLines(text);
  return text;
}

}  // namespace

bool RoundTrips(const std::string& tag, const std::string& id, const std::string& value) {
  const detail::ContextItem record{tag, id, 1, value, 1};
  const std::string text = FileTextOf(record);

  detail::ContextState read;
  read.host_app = std::make_shared<detail::SilentHost>();
  {
    detail::LoadInstancesScope instances(read);
    try {
      detail::DecodeXML(read, text);
    } catch (const Error&) {
      return false;
    }
  }
  if (read.items.Count() != 1) return false;
  const detail::TagStore& items = read.items;
  const detail::ItemView back = items.At(1);
  return back.Tag == tag && back.Id == id && back.Instance == 1 && back.Value == value;
}

}  // namespace tamrel
