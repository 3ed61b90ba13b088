#include <windows.h>

#include <cstdio>

#include "platform_checks.h"

namespace cdinst::testing {

bool WineDepartsFromWindows(const char* why) {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return false;
  std::printf("  (not checked under Wine: %s)\n", why);
  return true;
}

bool MessageBoxesAreShown() { return true; }

}  // namespace cdinst::testing
