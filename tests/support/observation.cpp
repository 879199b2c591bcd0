#include "support/observation.hpp"

#include <ostream>

#include "context/state_of.hpp"

namespace tamrel {

void PrintTo(const Record& record, std::ostream* out) {
  *out << "{" << record.tag << ", " << record.id << ", " << record.instance << ", \""
       << record.value << "\"}";
}

}  // namespace tamrel

namespace tamrel::testing {

std::string StoreText(const ContextCls& context) {
  std::string text;
  detail::StateOf(context).items.ForEach([&text](const detail::ItemView& item) {
    text.append(item.Tag).append("|").append(item.Id).append("|");
    text.append(std::to_string(item.Instance)).append("|").append(item.Value);
    text.append("|A").append(std::to_string(item.Key)).append("\n");
  });
  return text;
}

std::string HostCallsText(const RecordingHost& host) {
  std::string text;
  for (const HostCall& call : host.calls()) {
    text += call.op + " #" + std::to_string(call.error.number);
    for (std::size_t i = 0; i < call.args.size(); ++i) text += (i == 0 ? " " : "|") + call.args[i];
    text += "\n";
  }
  return text;
}

}  // namespace tamrel::testing
