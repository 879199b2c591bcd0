// Message box and clock of a POSIX console: no windows, no message loop.
#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

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

// A console has no window messages.
void PumpMessages() {}

// The library's words: a POSIX locale names no Boolean words of its own.
BooleanWords SystemBooleanWords() { return BooleanWords{}; }

double Now() { return OleDateFromTime(RealTimeNow()); }

float SecondsSinceMidnight() {
  return static_cast<float>(SecondsSinceLocalMidnight(RealTimeNow()));
}

}  // namespace tamrel::platform::native

namespace tamrel::platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// Standard output and error already carry the bytes they are given.
void UseUtf8Console() {}

}  // namespace tamrel::platform
