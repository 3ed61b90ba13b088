#include "platform/host_window.h"

#include "platform/application.h"
#include "platform/program_error.h"

namespace cdinst {
namespace {

constexpr DWORD kHostWindowStyle =
    WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

__attribute__((noinline)) HWND CreateHostSystemWindow() {
  HWND handle = CreateWindowExA(0, "STATIC", "", kHostWindowStyle, 0, 0, 320, 240,
                                ApplicationWindowHandle(), nullptr, nullptr, nullptr);
  if (handle == nullptr) {
    throw WindowError(static_cast<int32_t>(GetLastError()), __builtin_return_address(0));
  }
  return handle;
}

}  // namespace

HostWindow::~HostWindow() { DestroySystemWindow(); }

HWND HostWindow::Handle() {
  if (handle_ == nullptr) {
    handle_ = CreateHostSystemWindow();
    if (!enabled_) EnableWindow(handle_, FALSE);
  }
  return handle_;
}

void HostWindow::Enable(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (handle_ != nullptr) EnableWindow(handle_, enabled ? TRUE : FALSE);
}

void HostWindow::DestroySystemWindow() {
  if (handle_ != nullptr) DestroyWindow(handle_);
  handle_ = nullptr;
}

HWND HostWindowHandle(HostWindow& window) { return window.Handle(); }
void EnableHostWindow(HostWindow& window, bool enabled) { window.Enable(enabled); }

}  // namespace cdinst
