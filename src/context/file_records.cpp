// ReadFileRecords: a context file's records, decoded as Load decodes them
// but with none of Load's recovery, so that nothing on disk changes.
#include "tamrel/file_records.hpp"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "automation/silent_host.hpp"
#include "context/state_of.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

FileRecords Failed(FileRecords::State state, std::string reason) {
  FileRecords result;
  result.state = state;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

FileRecords ReadFileRecords(const std::string& file) {
  std::optional<std::string> text;
  try {
    text = platform::Current().file_system->ReadFileIfExists(file);
  } catch (const Error& error) {
    return Failed(FileRecords::State::kUnreadable, error.description());
  }
  if (!text) return Failed(FileRecords::State::kMissing, "");
  detail::JoinLines(*text);

  // A context of its own, whose reports nobody sees: the reader reports a
  // failed decode to the host before it raises.
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(std::make_shared<detail::SilentHost>());
  detail::ContextState& state = detail::StateOf(*context);
  try {
    detail::LoadInstancesScope instances(state);
    detail::DecodeXML(state, *text);
  } catch (const Error& error) {
    return Failed(FileRecords::State::kDamaged, error.description());
  }
  FileRecords result;
  result.state = FileRecords::State::kLoaded;
  result.records = Records(*context);
  return result;
}

}  // namespace tamrel
