#include "support/native_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <stdexcept>

namespace tamrel::testing {
namespace {

void Require(bool done, const char* what) {
  if (!done) throw std::runtime_error(what);
}

}  // namespace

void MakeReadOnly(const std::string& path) { Require(chmod(path.c_str(), 0444) == 0, "chmod"); }

void SetLocalModified(const std::string& path, int year, int month, int day, int hour, int minute) {
  struct tm local {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  const time_t when = mktime(&local);
  const struct timespec times[2] = {{when, 0}, {when, 0}};
  Require(utimensat(AT_FDCWD, path.c_str(), times, 0) == 0, "utimensat");
}

}  // namespace tamrel::testing
