// The platform hooks in force per thread, and the native defaults.
#include "tamrel/platform.hpp"

#include <utility>

#include "automation/boolean_words.hpp"
#include "platform/native.hpp"

namespace tamrel::platform {
namespace {

// The innermost Scope of this thread, or null for the native hooks.
thread_local const Hooks* innermost_scope = nullptr;

// The native hooks, one set for the process: they hold no state that
// threads could disturb. (Kept per thread, they were destroyed at each
// thread's exit, which in a mingw-w64 build under Wine corrupted the heap
// of a program whose other threads had taken a context file's lock.)
const Hooks& NativeDefaults() {
  static const Hooks native = NativeHooks();
  return native;
}

// Fills every hook left empty in `hooks` from `base`.
void InheritMissing(Hooks& hooks, const Hooks& base) {
  auto inherit = [](auto& hook, const auto& fallback) {
    if (!hook) hook = fallback;
  };
  inherit(hooks.message_box, base.message_box);
  inherit(hooks.pump_messages, base.pump_messages);
  inherit(hooks.now, base.now);
  inherit(hooks.seconds_since_midnight, base.seconds_since_midnight);
  inherit(hooks.boolean_words, base.boolean_words);
  inherit(hooks.special_folder, base.special_folder);
  inherit(hooks.windows_folder, base.windows_folder);
  inherit(hooks.long_path, base.long_path);
  inherit(hooks.library_folder, base.library_folder);
  inherit(hooks.browse_for_folder, base.browse_for_folder);
  inherit(hooks.is_folder_writeable, base.is_folder_writeable);
  inherit(hooks.file_system, base.file_system);
}

// The Boolean words of the hooks in force on the calling thread, for the
// conversions of automation, which cannot ask the hooks themselves.
detail::BooleanWordPair WordsOfCurrentHooks() {
  const Hooks& hooks = Current();
  if (!hooks.boolean_words) return {};
  BooleanWords words = hooks.boolean_words();
  return {std::move(words.true_word), std::move(words.false_word)};
}

// Registers the words' source as the library is loaded, so that a CStr
// before the first Scope already gives the system's words.
[[maybe_unused]] const bool kBooleanWordsRegistered = [] {
  detail::RegisterBooleanWordsSource(WordsOfCurrentHooks);
  return true;
}();

}  // namespace

Hooks NativeHooks() {
  Hooks hooks;
  hooks.message_box = native::ShowMessageBox;
  hooks.pump_messages = native::PumpMessages;
  hooks.now = native::Now;
  hooks.seconds_since_midnight = native::SecondsSinceMidnight;
  hooks.boolean_words = native::SystemBooleanWords;
  native::AddFolderServices(hooks);
  return hooks;
}

const Hooks& Current() { return innermost_scope != nullptr ? *innermost_scope : NativeDefaults(); }

Scope::Scope(Hooks hooks) : previous_(innermost_scope), hooks_(std::move(hooks)) {
  InheritMissing(hooks_, Current());
  innermost_scope = &hooks_;
  // Also here, for a Scope made while the library's statics are still
  // being initialised.
  detail::RegisterBooleanWordsSource(WordsOfCurrentHooks);
}

Scope::~Scope() { innermost_scope = previous_; }

}  // namespace tamrel::platform
