// The progress the program shows while it copies, besides its wait cursor: on Linux a status
// line on the terminal (status_line.cpp); on Windows the wait cursor is all, so there it shows
// nothing more (status_line_win32.cpp).
#pragma once

namespace cdinst {

// Starts listening to what the copy reports; called once, before the run.
void ShowStatusLine();

}  // namespace cdinst
