// Verify: makes sure one setting exists and holds the kind of value its
// default has (boolean, numeric or text), repairing it and logging each
// repair. Booleans written as words of another language are among the
// values it repairs.
#include <string>

#include "automation/error_trap.hpp"
#include "persist/context_state.hpp"
#include "store/read_cursor.hpp"
#include "tamrel/context.hpp"

namespace tamrel {
namespace {

enum class DefaultKind { Boolean, Numeric, Text };

// Writes Verify's log lines, each beginning "Tamrel/ContextCls/Verify <name>".
class VerifyLog {
 public:
  VerifyLog(detail::ContextState& state, const std::string& tag, const std::string& id)
      : state_(state),
        prefix_(std::string(detail::kLocationPrefix) + "Verify " + state.name),
        setting_(tag + "," + id) {}

  void Missing(const std::string& default_text) {
    Write(" missing tag [" + setting_ + "] set to '" + default_text + "'");
  }

  // `reason` is one of " non-english-boolean tag [", " non-boolean tag [",
  // " non-numeric tag [", " non-blank tag [".
  void Reset(const char* reason, const std::string& old_value, const std::string& new_value) {
    Write(reason + setting_ + "] Value '" + old_value + "' reset to '" + new_value + "'");
  }

 private:
  void Write(const std::string& text) { detail::Host(state_).WriteLog(prefix_ + text); }

  detail::ContextState& state_;
  const std::string prefix_;
  const std::string setting_;
};

}  // namespace

void ContextCls::Verify(const std::string& Tag, const std::string& Id, const Variant& defValue) {
  detail::ContextState& state = *state_;
  detail::Trapped(state, "Verify", [&] {
    VerifyLog verify_log(state, Tag, Id);
    const DefaultKind kind = isBoolean(defValue)   ? DefaultKind::Boolean
                             : IsNumeric(defValue) ? DefaultKind::Numeric
                                                   : DefaultKind::Text;
    detail::RewindCursor(state.cursors, Tag, Id);
    MoveFirst(Tag, Id);
    if (Eof(Tag, Id)) {
      verify_log.Missing(kind == DefaultKind::Boolean ? cBoolStr(defValue) : ConcatText(defValue));
      Add(Tag, Id, defValue, 1, "");
      return;
    }

    // Only the first value is examined.
    const Variant stored(CStr(Read(Tag, Id)));
    const std::string& old_value = stored.AsString();
    switch (kind) {
      case DefaultKind::Boolean:
        if (!isBoolean(stored)) {
          verify_log.Reset(" non-boolean tag [", old_value, ConcatText(defValue));
          Value(Tag, Id, Variant(cBoolStr(defValue)));
        } else if (isBadBoolean(stored)) {
          Value(Tag, Id, Variant(CBool(stored) ? "True" : "False"));
          verify_log.Reset(" non-english-boolean tag [", old_value, CStr(Value(Tag, Id)));
        }
        break;
      case DefaultKind::Numeric:
        if (!IsNumeric(stored)) {
          verify_log.Reset(" non-numeric tag [", old_value, ConcatText(defValue));
          Value(Tag, Id, defValue);
        }
        break;
      case DefaultKind::Text:
        // A Null default compares equal to nothing, so it never resets.
        if (old_value.empty() && !defValue.IsNull() && defValue != Variant("")) {
          verify_log.Reset(" non-blank tag [", old_value, ConcatText(defValue));
          Value(Tag, Id, defValue);
        }
        break;
    }
  });
}

}  // namespace tamrel
