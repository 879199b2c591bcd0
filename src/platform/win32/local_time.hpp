// Local time as OLE dates (days since 1899-12-30, the fraction being the time
// of day), from and to Windows' file times and system times.
#pragma once

#include <windows.h>

namespace tamrel::platform::native {

// The local date and time of `file_time` (UTC, as the file system keeps it)
// as an OLE date, to the file time's 100 ns.
double OleDateFromFileTime(const FILETIME& file_time);
// The file time (UTC) whose local date and time is `ole_date`.
FILETIME FileTimeFromOleDate(double ole_date);
// A local SYSTEMTIME as an OLE date, to the millisecond.
double OleDateFromLocalTime(const SYSTEMTIME& local);

}  // namespace tamrel::platform::native
