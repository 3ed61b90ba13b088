#pragma once

namespace cdinst {

// The whole life of the process after platform start-up: the five-parameter gate, the
// host window and title, the settings, one install run. Errors that nothing catches leave it
// for the caller's fatal-error report.
void RunEntry();

}  // namespace cdinst
