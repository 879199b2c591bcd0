// Wait: a pause that keeps processing the thread's window messages.
#include <chrono>
#include <thread>

#include "automation/ole_calendar.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

constexpr auto kSecondsPerDay = static_cast<float>(detail::kSecondsPerDay);
// Between two clock readings the thread rests this long, so that a wait
// without window messages does not spin a processor.
constexpr auto kRest = std::chrono::milliseconds(1);

// Seconds from `start` to `now` on a clock that returns to 0 at midnight.
float ElapsedSince(float start, float now) {
  return now < start ? kSecondsPerDay - start + now : now - start;
}

}  // namespace

void ContextCls::Wait(float interval) {
  const platform::Hooks& hooks = platform::Current();
  const float start = hooks.seconds_since_midnight();
  for (;;) {
    hooks.pump_messages();
    if (ElapsedSince(start, hooks.seconds_since_midnight()) > interval) return;
    std::this_thread::sleep_for(kRest);
  }
}

}  // namespace tamrel
