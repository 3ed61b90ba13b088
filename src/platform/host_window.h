// The invisible window that owns the install run's message boxes and directory listings.
#pragma once

#include "winapi/winapi.h"

namespace cdinst {

class HostWindow {
 public:
  HostWindow() = default;
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // The system window, created on the first request (owned by the ApplicationWindow, empty
  // caption, 320 by 240 at 0,0, never visible). Raises WindowError when it cannot be made.
  HWND Handle();

  // Stores the flag; calls EnableWindow only when it changes and the system window exists.
  void Enable(bool enabled);
  bool Enabled() const { return enabled_; }

  // Destroys the system window, if any.
  void DestroySystemWindow();

 private:
  HWND handle_ = nullptr;
  bool enabled_ = true;
};

HWND HostWindowHandle(HostWindow& window);
void EnableHostWindow(HostWindow& window, bool enabled);

}  // namespace cdinst
