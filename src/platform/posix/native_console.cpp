// Message box and clock of a POSIX console: no windows, no message loop.
#include <time.h>

#include <cstdio>
#include <string>

#include "platform/native.hpp"
#include "platform/posix/local_time.hpp"

namespace tamrel::platform::native {
namespace {

struct timespec RealTimeNow() {
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

}  // namespace

Variant ShowMessageBox(const std::string& prompt, int16_t /*style*/, const std::string& title) {
  std::fprintf(stderr, "%s\n%s\n", title.c_str(), prompt.c_str());
  std::fflush(stderr);
  return Variant(int16_t{1});
}

double Now() { return OleDateFromTime(RealTimeNow()); }

float SecondsSinceMidnight() {
  return static_cast<float>(SecondsSinceLocalMidnight(RealTimeNow()));
}

}  // namespace tamrel::platform::native
