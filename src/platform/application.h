// The application object: it exists for the whole process, owns the invisible
// ApplicationWindow that holds the title, the cursors, and the host windows made for it.
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst {

class HostWindow;

class HostWindow;

// Makes the application object: the ApplicationWindow (never shown) and the arrow and wait
// cursors. Call once, before anything else of the platform layer.
void StartApplication();

// Releases every host window still owned and the ApplicationWindow.
void ShutdownApplication();

// The title is the ApplicationWindow's text; reading it back gives at most 255 characters.
// Without the window (before start-up, or when it could not be made) it is a plain string.
void SetApplicationTitle(const std::string& title);
std::string ApplicationTitle();

HWND ApplicationWindowHandle();
HCURSOR ArrowCursor();
HCURSOR WaitCursor();

// Makes a HostWindow owned by the application object (no system window yet).
HostWindow& CreateHostWindow();

// Destroys its system window and removes it from the application object.
void ReleaseHostWindow(HostWindow& window);

}  // namespace cdinst
