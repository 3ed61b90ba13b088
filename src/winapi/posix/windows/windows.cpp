// Windows without a screen: never shown, so they are state only (text, enabled flag, owner
// thread). The cursor is a value, and no window is ever under the mouse pointer; what a screen
// would show of the work goes to the progress listener instead.
#include <memory>
#include <string>
#include <unordered_map>

#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/progress.h"
#include "winapi/posix/result_buffer.h"
#include "winapi/winapi.h"

struct HWND__ {
  std::string text;
  bool enabled = true;
  DWORD threadId = 0;
};

struct HCURSOR__ {
  WORD shape;
};

namespace {

std::unordered_map<HWND, std::unique_ptr<HWND__>>& LiveWindows() {
  static std::unordered_map<HWND, std::unique_ptr<HWND__>> windows;
  return windows;
}

HWND__* Lookup(HWND window) {
  const auto found = LiveWindows().find(window);
  if (found == LiveWindows().end()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return found->second.get();
}

constexpr WORD kWaitShape = 32514;

HCURSOR currentCursor = nullptr;
cdinst::posix::ProgressListener* progressListener = nullptr;

}  // namespace

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int, int, int, int,
                     HWND parent, HMENU, HINSTANCE, LPVOID) {
  const cdinst::posix::WindowsCall call;
  if (className == nullptr) return cdinst::posix::FailWith(HWND{}, ERROR_INVALID_PARAMETER);
  if (parent != nullptr && Lookup(parent) == nullptr) return nullptr;
  auto window = std::make_unique<HWND__>();
  window->text = windowName ? windowName : "";
  window->threadId = GetCurrentThreadId();
  HWND handle = window.get();
  LiveWindows().emplace(handle, std::move(window));
  return handle;
}

BOOL DestroyWindow(HWND window) {
  const cdinst::posix::WindowsCall call;
  if (Lookup(window) == nullptr) return FALSE;
  LiveWindows().erase(window);
  return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  const cdinst::posix::WindowsCall call;
  HWND__* found = Lookup(window);
  if (found == nullptr) return FALSE;
  const bool wasDisabled = !found->enabled;
  found->enabled = enable != FALSE;
  return wasDisabled ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  const cdinst::posix::WindowsCall call;
  HWND__* found = Lookup(window);
  if (found == nullptr) return FALSE;
  found->text = text ? text : "";
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
  const cdinst::posix::WindowsCall call;
  HWND__* found = Lookup(window);
  if (found == nullptr || size <= 0) return 0;
  return static_cast<int>(cdinst::posix::CopyTextCut(found->text, buffer, size));
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  const cdinst::posix::WindowsCall call;
  static HCURSOR__ arrow{32512}, wait{kWaitShape};
  const auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  if (instance == nullptr && id == arrow.shape) return &arrow;
  if (instance == nullptr && id == wait.shape) return &wait;
  return cdinst::posix::FailWith(HCURSOR{}, ERROR_RESOURCE_NAME_NOT_FOUND);
}

// The wait cursor is all a user would see of the copy, so the listener hears of it.
HCURSOR SetCursor(HCURSOR cursor) {
  const cdinst::posix::WindowsCall call;
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  const bool waiting = cursor != nullptr && cursor->shape == kWaitShape;
  const bool wasWaiting = previous != nullptr && previous->shape == kWaitShape;
  if (waiting != wasWaiting && progressListener) progressListener->WaitCursorChanged(waiting);
  return previous;
}

BOOL GetCursorPos(LPPOINT point) {
  const cdinst::posix::WindowsCall call;
  point->x = 0;
  point->y = 0;
  return TRUE;
}

HWND WindowFromPoint(POINT) {
  const cdinst::posix::WindowsCall call;
  return nullptr;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
  const cdinst::posix::WindowsCall call;
  HWND__* found = Lookup(window);
  if (found == nullptr) return 0;
  if (processId) *processId = 0;
  return found->threadId;
}

LRESULT SendMessageA(HWND window, UINT, WPARAM, LPARAM) {
  const cdinst::posix::WindowsCall call;
  Lookup(window);
  return 0;
}

int GetSystemMetrics(int) {
  const cdinst::posix::WindowsCall call;
  return 0;
}

namespace cdinst::posix {

void ListenToProgress(ProgressListener* listener) { progressListener = listener; }

ProgressListener* Progress() { return progressListener; }

}  // namespace cdinst::posix
