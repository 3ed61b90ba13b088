#include <windows.h>

#include <cstdio>

#include "platform_checks.h"

namespace cdinst::testing {

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool WineDepartsFromWindows(const char* why) {
  if (!RunningUnderWine()) return false;
  std::printf("  (not checked under Wine: %s)\n", why);
  return true;
}

bool MessageBoxesAreShown() { return true; }

}  // namespace cdinst::testing
