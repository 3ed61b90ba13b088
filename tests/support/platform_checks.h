// What the tests need to know of the system under the seam, asked without #ifdef.
#pragma once

namespace cdinst::testing {

// Whether the tests run as a Windows program under Wine.
bool RunningUnderWine();

// Where Wine itself behaves unlike Windows, the seam's tests hold the emulation to Windows and
// only say so under Wine: this is true there, and prints `why` so the run shows what went
// unchecked.
bool WineDepartsFromWindows(const char* why);

// Whether a message box that is not answered through CDINST_ANSWER would wait for a person.
bool MessageBoxesAreShown();

}  // namespace cdinst::testing
