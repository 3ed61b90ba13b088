#include "platform/notification.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "platform/application.h"
#include "platform/host_window.h"
#include "platform/message_box.h"
#include "platform/path_parts.h"
#include "platform/program_error.h"
#include "string_table.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

constexpr UINT kQuestionFlags = MB_TASKMODAL | MB_YESNO;
constexpr UINT kNoticeFlags = MB_TASKMODAL;
constexpr UINT kFatalFlags = MB_TASKMODAL | MB_ICONERROR;

bool cursorBusy = false;

// The boxes take their texts from 256-byte buffers.
std::string BoxText(const std::string& text) { return text.substr(0, 255); }

int ShowOwnedBox(HostWindow& owner, const std::string& text, UINT flags) {
  const std::string caption = BoxText(ApplicationTitle());
  return ShowMessageBox(HostWindowHandle(owner), BoxText(text), caption, flags);
}

// The default cursor is the choice of the window under the pointer, when it is one of ours.
bool LetWindowUnderPointerChoose() {
  POINT point;
  if (!GetCursorPos(&point)) return false;
  HWND window = WindowFromPoint(point);
  if (window == nullptr || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    return false;
  }
  const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(hit, WM_MOUSEMOVE));
  return true;
}

const char* KindName(const std::exception& error) {
  if (const auto* known = dynamic_cast<const ProgramError*>(&error)) return known->KindName();
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "OutOfMemory";
  return "Error";
}

std::string ModuleFileName() {
  char path[MAX_PATH];
  const DWORD count = GetModuleFileNameA(nullptr, path, sizeof path);
  return NamePartOf(std::string(path, count < sizeof path ? count : 0));
}

uint32_t ModuleOffset(const std::exception& error) {
  const auto* known = dynamic_cast<const ProgramError*>(&error);
  if (known == nullptr || known->Place() == nullptr) return 0;
  const auto base = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(known->Place()) - base);
}

}  // namespace

bool AskYesNo(HostWindow& owner, const std::string& question) {
  return ShowOwnedBox(owner, question, kQuestionFlags) != IDNO;
}

void ShowNotice(HostWindow& owner, const std::string& report) {
  ShowOwnedBox(owner, report, kNoticeFlags);
}

void SetBusyCursor(bool busy) {
  if (busy == cursorBusy) return;
  cursorBusy = busy;
  if (busy) {
    SetCursor(WaitCursor());
  } else if (!LetWindowUnderPointerChoose()) {
    SetCursor(ArrowCursor());
  }
}

std::string FatalErrorText(const std::exception& error) {
  const std::string message = error.what();
  const char* stop = !message.empty() && message.back() != '.' ? "." : "";
  char text[1024];
  std::snprintf(text, sizeof text, "Exception %s in module %s at %08X.\n%s%s", KindName(error),
                ModuleFileName().c_str(), ModuleOffset(error), message.c_str(), stop);
  return text;
}

void ReportFatalError(const std::exception& error) {
  char caption[64];
  const int length =
      LoadStringA(GetModuleHandleA(nullptr), IDS_APPLICATION_ERROR, caption, sizeof caption);
  ShowMessageBox(nullptr, FatalErrorText(error), std::string(caption, length > 0 ? length : 0),
                 kFatalFlags);
  ShutdownApplication();
  ExitProcess(1);
}

}  // namespace cdinst
