// Local time as OLE dates (days since 1899-12-30, the fraction being the time
// of day), the form in which the run-time hands out dates and times.
#pragma once

#include <time.h>

namespace tamrel::platform::native {

// The local date and time of `when` as an OLE date.
double OleDateFromTime(const struct timespec& when);
// The instant whose local date and time is `ole_date` (to the microsecond).
struct timespec TimeFromOleDate(double ole_date);
// Seconds since local midnight at `when`, with the fraction of the second.
double SecondsSinceLocalMidnight(const struct timespec& when);

}  // namespace tamrel::platform::native
