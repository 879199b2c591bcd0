// Form extraction: the values of a form's bound controls into the store
// under one tag, or into a dictionary that the host owns.
#include <string>

#include "automation/error_trap.hpp"
#include "forms/control_params.hpp"
#include "forms/control_reading.hpp"
#include "forms/setting_name.hpp"
#include "persist/context_state.hpp"
#include "tamrel/context.hpp"

namespace tamrel {

void ContextCls::ExtractTagsFromForm(const std::string& TagName, Form& myFrm) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "ExtractTagsFromForm", [&] {
    Remove(TagName);
    for (const ObjectRef& control : myFrm.Controls()) {
      const std::string id = detail::GetControlId(state, *control);
      if (id.empty()) continue;
      const std::string prop = detail::GetControlProp(state, *control);
      for (const Variant& value : detail::ReadControl(*control, prop).values) {
        Add(TagName, id, value);
      }
    }
  });
}

void ContextCls::ExtractTagsFromFormToCollection(const std::string& TagName, Form& myFrm,
                                                 Dictionary& cln, bool& changed) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "ExtractTagsFromFormToCollection", [&] {
    for (const ObjectRef& control : myFrm.Controls()) {
      const std::string id = detail::GetControlId(state, *control);
      if (id.empty()) continue;
      const std::string key = detail::DictionaryKey(TagName, id);
      const std::string prop = detail::GetControlProp(state, *control);
      if (std::optional<Variant> value =
              detail::DictionaryValue(detail::ReadControl(*control, prop))) {
        setScrDictionaryVal(cln, key, *value, changed);
      }
    }
  });
}

void ContextCls::setScrDictionaryVal(Dictionary& cln, const std::string& Key, const Variant& val,
                                     bool& changed) {
  const Variant text(CStr(val));
  if (!cln.Exists(Key)) {
    cln.Add(Key, text);
    changed = true;
    return;
  }
  // As with the run-time's "<>", a comparison with Null is never true.
  const Variant& entry = cln.Item(Key);
  if (!entry.IsNull() && entry != text) {
    cln.Item(Key, text);
    changed = true;
  }
}

}  // namespace tamrel
