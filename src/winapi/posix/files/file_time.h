// Windows file times (100-nanosecond ticks since 1601-01-01 UTC) from Unix times.
#pragma once

#include <ctime>

#include "winapi/winapi.h"

namespace cdinst::posix {

// The FILETIME of a Unix time; times before 1601 become 0.
FILETIME FileTimeFromUnix(const struct timespec& time);

}  // namespace cdinst::posix
