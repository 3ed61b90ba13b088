// Volumes, the Windows directories, DOS times and the locale text calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform_checks.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

FILETIME FileTimeOfUtc(int64_t unixSeconds) {
  const uint64_t ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                              time.dwLowDateTime);
}

TEST(VolumesTest, MappedDrivesIgnoreCaseAndPreserveIt) {
  ScratchPrefix prefix;
  DWORD flags = 0, serial = 0, maxLength = 0;
  char fileSystem[16] = "";
  ASSERT_TRUE(GetVolumeInformationA("C:\\", nullptr, 0, &serial, &maxLength, &flags, fileSystem,
                                    sizeof fileSystem));
  EXPECT_EQ(0u, flags & FS_CASE_SENSITIVE);
  EXPECT_NE(0u, flags & FS_CASE_IS_PRESERVED);
  EXPECT_EQ(255u, maxLength);
  EXPECT_NE(0u, std::strlen(fileSystem));
  flags = 0;
  ASSERT_TRUE(GetVolumeInformationA("d:\\", nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  EXPECT_EQ(0u, flags & FS_CASE_SENSITIVE);
}

TEST(VolumesTest, RootWithoutBackslashIsAnInvalidName) {
  ScratchPrefix prefix;
  DWORD flags = 0;
  if (WineDepartsFromWindows("Wine reads \"C:\" as drive C's current directory")) return;
  EXPECT_FALSE(GetVolumeInformationA("C:", nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  EXPECT_EQ(ERROR_INVALID_NAME, GetLastError());
}

TEST(SystemDirectoriesTest, WindowsAndSystemDirectoryWithBufferRules) {
  char buffer[255];
  EXPECT_EQ(10u, GetWindowsDirectoryA(buffer, sizeof buffer));
  EXPECT_STREQ("C:\\windows", buffer);
  EXPECT_EQ(19u, GetSystemDirectoryA(buffer, sizeof buffer));
  EXPECT_STREQ("C:\\windows\\system32", buffer);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(11u, GetWindowsDirectoryA(buffer, 10));
  EXPECT_EQ(20u, GetSystemDirectoryA(buffer, 5));
  EXPECT_EQ('#', buffer[0]);
  EXPECT_EQ(10u, GetWindowsDirectoryA(buffer, 11));
}

TEST(FileTimeTest, DosDateTimeCoversOnly1980To2107) {
  WORD date = 0, time = 0;
  FILETIME first = FileTimeOfUtc(315532800);  // 1980-01-01 00:00:00
  ASSERT_TRUE(FileTimeToDosDateTime(&first, &date, &time));
  EXPECT_EQ(0x0021, date);
  EXPECT_EQ(0x0000, time);
  FILETIME leapDay = FileTimeOfUtc(951831931);  // 2000-02-29 13:45:31
  ASSERT_TRUE(FileTimeToDosDateTime(&leapDay, &date, &time));
  EXPECT_EQ((20 << 9) | (2 << 5) | 29, date);
  EXPECT_EQ((13 << 11) | (45 << 5) | 15, time);
  FILETIME before = FileTimeOfUtc(315532799);  // 1979-12-31 23:59:59
  EXPECT_FALSE(FileTimeToDosDateTime(&before, &date, &time));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  FILETIME after = FileTimeOfUtc(4354819200);  // 2108-01-01 00:00:00
  if (WineDepartsFromWindows("Wine converts times after 2107")) return;
  EXPECT_FALSE(FileTimeToDosDateTime(&after, &date, &time));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

TEST(FileTimeTest, LocalTimeIsShiftedByAWholeTimeZoneOffset) {
  const FILETIME utc = FileTimeOfUtc(1700000000);
  FILETIME local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  const int64_t shift = Ticks(local) - Ticks(utc);
  const int64_t quarterHour = 15LL * 60 * 10000000;
  EXPECT_EQ(0, shift % quarterHour);
  EXPECT_LE(shift < 0 ? -shift : shift, 14 * 4 * quarterHour);
}

TEST(LocaleTextTest, CompareStringOrdersAndIgnoresCaseOnRequest) {
  EXPECT_EQ(CSTR_EQUAL,
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "Arquivos", -1, "ARQUIVOS", -1));
  EXPECT_NE(CSTR_EQUAL, CompareStringA(LOCALE_USER_DEFAULT, 0, "Arquivos", -1, "ARQUIVOS", -1));
  EXPECT_EQ(CSTR_EQUAL,
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "caf\xC9", -1, "CAF\xE9", -1));
  EXPECT_EQ(CSTR_LESS_THAN,
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "dados", -1, "Help", -1));
  EXPECT_EQ(CSTR_GREATER_THAN,
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "Help", -1, "dados", -1));
  EXPECT_EQ(CSTR_LESS_THAN, CompareStringA(LOCALE_USER_DEFAULT, 0, "abc", -1, "abcd", -1));
  EXPECT_EQ(CSTR_EQUAL, CompareStringA(LOCALE_USER_DEFAULT, 0, "abcdef", 3, "abc", -1));
}

TEST(LocaleTextTest, CharLowerBuffLowersOnlyTheGivenLength) {
  char text[] = "\xC0\x42\xC7\x44";
  EXPECT_EQ(3u, CharLowerBuffA(text, 3));
  EXPECT_STREQ("\xE0\x62\xE7\x44", text);
}

}  // namespace
}  // namespace cdinst::testing
