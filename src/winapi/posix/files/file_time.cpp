#include "winapi/posix/files/file_time.h"

#include <cstdint>

#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

// Windows applies today's offset to every time, daylight saving included, not the offset in
// force at the time being converted.
int64_t CurrentLocalOffsetSeconds() {
  const time_t now = time(nullptr);
  struct tm parts;
  if (localtime_r(&now, &parts) == nullptr) return 0;
  return parts.tm_gmtoff;
}

WORD DosDate(const struct tm& parts) {
  return static_cast<WORD>(((parts.tm_year + 1900 - 1980) << 9) | ((parts.tm_mon + 1) << 5) |
                           parts.tm_mday);
}

WORD DosTime(const struct tm& parts) {
  return static_cast<WORD>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
}

}  // namespace

namespace cdinst::posix {

FILETIME FileTimeFromUnix(const struct timespec& time) {
  const int64_t seconds = static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return FILETIME{0, 0};
  return FromTicks(static_cast<uint64_t>(seconds * kTicksPerSecond + time.tv_nsec / 100));
}

}  // namespace cdinst::posix

using cdinst::posix::FailWith;

BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
  const cdinst::posix::WindowsCall call;
  if (utc == nullptr || local == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  const int64_t offset = CurrentLocalOffsetSeconds() * kTicksPerSecond;
  *local = FromTicks(Ticks(*utc) + static_cast<uint64_t>(offset));
  return TRUE;
}

// DOS dates count years from 1980 in seven bits: 1980 to 2107.
BOOL FileTimeToDosDateTime(const FILETIME* time, LPWORD dosDate, LPWORD dosTime) {
  const cdinst::posix::WindowsCall call;
  if (time == nullptr || dosDate == nullptr || dosTime == nullptr) {
    return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  }
  const time_t seconds = static_cast<time_t>(static_cast<int64_t>(Ticks(*time) / kTicksPerSecond) -
                                             kSecondsFrom1601To1970);
  struct tm parts;
  if (gmtime_r(&seconds, &parts) == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  if (parts.tm_year + 1900 < 1980 || parts.tm_year + 1900 > 2107) {
    return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  }
  *dosDate = DosDate(parts);
  *dosTime = DosTime(parts);
  return TRUE;
}
