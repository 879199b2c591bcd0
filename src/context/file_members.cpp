// The members that bind the context file layer (src/persist/) to the host
// and the error convention: Load, Save, log, ProcessXML and
// RenameAsNextFileCycle.
#include <cstdint>
#include <string>

#include "automation/error_trap.hpp"
#include "context/state_of.hpp"
#include "persist/context_log.hpp"
#include "persist/context_state.hpp"
#include "persist/context_text.hpp"
#include "persist/file_cycle.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "persist/save.hpp"
#include "tamrel/context.hpp"

namespace tamrel {
namespace {

// Save's calls back into the context, made through the public members.
class MembersForSave final : public detail::SaveCalls {
 public:
  explicit MembersForSave(ContextCls& context) : context_(context) {}
  // Reported as the public member reports, by its own trap, and Save
  // carries on.
  void KeepGeneration(const std::string& path, int16_t retained) override {
    detail::Trapped(detail::StateOf(context_), "RenameAsNextFileCycle",
                    [&] { detail::KeepGeneration(path, retained); });
  }
  bool MakeFolder(FileSystemObject& fso, const std::string& folder) override {
    return context_.MakeFolder(fso, folder);
  }
  void Wait(float seconds) override { context_.Wait(seconds); }

 private:
  ContextCls& context_;
};

}  // namespace

bool ContextCls::Load(const std::string& filename) {
  detail::ContextState& state = *state_;
  bool result = false;
  detail::LoadInstancesScope instances(state);
  detail::Trapped(state, "Load", "Initialize: " + filename,
                  [&] { result = detail::LoadFile(state, filename); });
  return result;
}

bool ContextCls::Save(const std::string& filename) {
  detail::ContextState& state = *state_;
  bool result = false;
  std::string path;
  MembersForSave calls(*this);
  detail::SaveTrapped(state, path, [&] {
    detail::SaveFile(state, calls, filename, path);
    result = true;
  });
  return result;
}

void ContextCls::log(const std::string& Id) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Log", [&] {
    const std::string line = detail::LabelledLogLine(Id, detail::ContextText(state));
    detail::Host(state).WriteLog(line);
  });
}

void ContextCls::ProcessXML(int16_t xmlPortion, const std::string& xmlTag,
                            const std::string& attrOrElement, const std::string& attrVal) {
  detail::ProcessXMLEvent(*state_, xmlPortion, xmlTag, attrOrElement, attrVal);
}

void ContextCls::RenameAsNextFileCycle(const std::string& strFilename, int16_t intRetainCycles) {
  detail::Trapped(*state_, "RenameAsNextFileCycle",
                  [&] { detail::RenameAsNextFileCycle(strFilename, intRetainCycles); });
}

}  // namespace tamrel
