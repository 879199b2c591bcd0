// RoundTrips: whether a record survives the context file, decided by the
// file's own writer and reader rather than by a list of rules beside them.
#include <memory>
#include <string>

#include "persist/context_state.hpp"
#include "persist/context_text.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "tamrel/error.hpp"
#include "tamrel/host.hpp"
#include "tamrel/records.hpp"

namespace tamrel {
namespace {

// Takes whatever a reading reports and says nothing: a record that does
// not come back is the whole answer.
class SilentHost final : public HostApplication {
 public:
  void WriteLog(const std::string&) override {}
  void RegisterError(const std::string&, const std::string&) override {}
  void GetErrorText(std::string&) override {}
  Variant HandleError(bool, bool, bool) override { return {}; }
  void WriteDetail(const std::string&) override {}
  Variant ShowMessage(const std::string&, int16_t, const std::string&, const std::string&,
                      int32_t) override {
    return {};
  }
};

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
  read.host_app = std::make_shared<SilentHost>();
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
