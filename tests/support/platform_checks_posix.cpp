#include <unistd.h>

#include "platform_checks.h"

namespace cdinst::testing {

bool RunningUnderWine() { return false; }

bool WineDepartsFromWindows(const char*) { return false; }

// The emulation shows boxes on a terminal only.
bool MessageBoxesAreShown() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }

}  // namespace cdinst::testing
