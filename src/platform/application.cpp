#include "platform/application.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/host_window.h"

namespace cdinst {
namespace {

struct Application {
  HWND window = nullptr;
  std::string plainTitle;
  HCURSOR arrow = nullptr;
  HCURSOR wait = nullptr;
  std::vector<std::unique_ptr<HostWindow>> hostWindows;
};

Application& TheApplication() {
  static Application application;
  return application;
}

constexpr DWORD kApplicationWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

void StartApplication() {
  Application& app = TheApplication();
  app.arrow = LoadCursorA(nullptr, IDC_ARROW);
  app.wait = LoadCursorA(nullptr, IDC_WAIT);
  // Zero-sized at the centre of the screen; its text is the title.
  app.window =
      CreateWindowExA(0, "STATIC", "", kApplicationWindowStyle, GetSystemMetrics(SM_CXSCREEN) / 2,
                      GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

void ShutdownApplication() {
  Application& app = TheApplication();
  app.hostWindows.clear();
  if (app.window != nullptr) DestroyWindow(app.window);
  app.window = nullptr;
}

void SetApplicationTitle(const std::string& title) {
  Application& app = TheApplication();
  if (app.window == nullptr) {
    app.plainTitle = title;
  } else {
    SetWindowTextA(app.window, title.c_str());
  }
}

std::string ApplicationTitle() {
  Application& app = TheApplication();
  if (app.window == nullptr) return app.plainTitle;
  char buffer[256];
  const int count = GetWindowTextA(app.window, buffer, sizeof buffer);
  return std::string(buffer, count > 0 ? count : 0);
}

HWND ApplicationWindowHandle() { return TheApplication().window; }
HCURSOR ArrowCursor() { return TheApplication().arrow; }
HCURSOR WaitCursor() { return TheApplication().wait; }

HostWindow& CreateHostWindow() {
  auto& owned = TheApplication().hostWindows;
  owned.push_back(std::make_unique<HostWindow>());
  return *owned.back();
}

void ReleaseHostWindow(HostWindow& window) {
  window.DestroySystemWindow();
  auto& owned = TheApplication().hostWindows;
  owned.erase(std::remove_if(owned.begin(), owned.end(),
                             [&](const auto& candidate) { return candidate.get() == &window; }),
              owned.end());
}

}  // namespace cdinst
