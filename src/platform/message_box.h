// Every message box of the program goes through here, so that scripts can answer boxes
// (CDINST_ANSWER=yes|no) and read what was asked (CDINST_TRANSCRIPT=<file>).
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst {

// MessageBoxA, unless CDINST_ANSWER is "yes" or "no": then no box is shown and a Yes/No box
// returns IDYES or IDNO, any other box IDOK. With CDINST_TRANSCRIPT set, appends one JSON
// line {"caption","text","flags","result"} (texts converted to UTF-8) to that file.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The transcript line for one box, without its line end.
std::string TranscriptLine(const std::string& caption, const std::string& text, UINT flags,
                           int result);

}  // namespace cdinst
