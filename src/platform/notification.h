// What the user sees: task-modal message boxes captioned with the application title, the
// busy cursor, and the fatal-error report.
#pragma once

#include <exception>
#include <string>

namespace cdinst {

class HostWindow;

// Yes/No box owned by the host window. False only for No: Yes, and a box that could not be
// shown, both give true. Text and caption are cut to 255 characters.
bool AskYesNo(HostWindow& owner, const std::string& question);

// OK box owned by the host window; the answer is not used.
void ShowNotice(HostWindow& owner, const std::string& report);

// Busy shows the wait cursor; default lets the window under the pointer choose, or shows
// the arrow. Asking for the state already set does nothing.
void SetBusyCursor(bool busy);

// The report's text for an error: "Exception <kind> in module <file> at <offset>.\n<message>"
// with a full stop added to a message that lacks one.
std::string FatalErrorText(const std::exception& error);

// Shows the report (no owner, error icon, caption "Application Error"), runs the shutdown
// and ends the process with exit code 1.
[[noreturn]] void ReportFatalError(const std::exception& error);

}  // namespace cdinst
