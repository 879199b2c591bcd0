// The ContextCls frame: creation, destruction and the properties that link a
// context to its host, and the application title as hosts read it.
#include "tamrel/context.hpp"

#include <utility>

#include "automation/application_title.hpp"
#include "automation/error_trap.hpp"
#include "context/unmanaged_error.hpp"
#include "persist/context_state.hpp"

namespace tamrel {

// A state that cannot be made is shown in the unmanaged-error box and then
// fails the construction: an object without its state could not answer any
// member, so none is handed out.
ContextCls::ContextCls() {
  try {
    state_ = std::make_unique<detail::ContextState>();
  } catch (...) {
    detail::ShowUnmanagedError("Class_Initialize", detail::CurrentExceptionAsError());
    throw;
  }
}

ContextCls::~ContextCls() {
  if (!state_) return;
  try {
    state_->items.Clear();
    state_->cursors.clear();
  } catch (...) {
    detail::ShowUnmanagedError("Class_Terminate", detail::CurrentExceptionAsError());
  }
}

void ContextCls::Appl(const ObjectRef& obj) {
  if (!obj) Raise(errc::kObjectNotSet);
  detail::SetApplicationTitle(CStr(obj->Get("title")));
}

void ContextCls::name(const std::string& strName) { state_->name = strName; }

std::string ContextCls::name() const { return state_->name; }

std::string ContextCls::SaveLocation() const { return state_->save_location; }

void ContextCls::SetApplicationContext(const ObjectRef& hostApplication) {
  if (!hostApplication) {
    state_->host_app.reset();
    return;
  }
  auto host = std::dynamic_pointer_cast<HostApplication>(hostApplication);
  if (!host) Raise(errc::kTypeMismatch);
  state_->host_app = std::move(host);
}

bool ContextCls::changed() const { return state_->changed; }

std::string ApplicationTitle() { return detail::CurrentApplicationTitle(); }

}  // namespace tamrel
