// MessageBoxA on a terminal: the box is drawn on stderr and answered on stdin. Without a
// terminal on both the box cannot be shown, and the call fails as Windows' does.
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "codepage/windows1252.h"
#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/progress.h"
#include "winapi/posix/stop_signals.h"
#include "winapi/winapi.h"

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Yes is the default button, as in a box without a default-button flag.
int YesNoAnswer(const std::string& reply) {
  const std::string answer = Lowered(reply);
  if (answer.empty() || answer == "s" || answer == "sim" || answer == "y" || answer == "yes") {
    return IDYES;
  }
  if (answer == "n" || answer == "no" || answer == "nao" || answer == "n\xc3\xa3o") return IDNO;
  return 0;
}

// One line typed at the terminal, without its line feed; nothing at the input's end or once a
// stop signal came. Read a byte at a time, so that nothing typed is held in a buffer that a
// wait on the terminal would not see.
std::optional<std::string> ReadReply() {
  std::string reply;
  for (;;) {
    if (!cdinst::posix::WaitForInputUnlessStopped(STDIN_FILENO)) return std::nullopt;
    char c;
    const ssize_t count = read(STDIN_FILENO, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return std::nullopt;
    if (c == '\n') return reply;
    reply += c;
  }
}

void DrawBox(const std::string& caption, const std::string& text, bool yesNo, bool error) {
  std::fprintf(stderr, "\n== %s%s ==\n%s\n%s ", error ? "(!) " : "",
               cdinst::TerminalText(cdinst::Windows1252ToUtf8(caption)).c_str(),
               cdinst::TerminalText(cdinst::Windows1252ToUtf8(text), true).c_str(),
               yesNo ? "[S]im / [N]\xc3\xa3o:" : "[OK]");
  std::fflush(stderr);
}

}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT flags) {
  const cdinst::posix::WindowsCall call;
  if (cdinst::posix::Progress()) cdinst::posix::Progress()->TerminalNeeded();
  const bool yesNo = (flags & MB_TYPEMASK) == MB_YESNO;
  // A failed box counts as Yes; a stopped process must not go on to copy.
  const int stopped = yesNo ? IDNO : IDOK;
  if (cdinst::posix::StopSignal()) return stopped;
  if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO)) {
    return cdinst::posix::FailWith(0, ERROR_INVALID_WINDOW_HANDLE);
  }
  const bool error = (flags & MB_ICONERROR) != 0;
  // Windows' default caption for a box without one.
  const std::string shownCaption = caption ? caption : "Error";
  const std::string shownText = text ? text : "";
  for (;;) {
    DrawBox(shownCaption, shownText, yesNo, error);
    const std::optional<std::string> reply = ReadReply();
    if (!reply) {
      if (cdinst::posix::StopSignal()) return stopped;
      return cdinst::posix::FailWith(0, ERROR_INVALID_HANDLE);
    }
    if (!yesNo) return IDOK;
    if (const int answer = YesNoAnswer(*reply)) return answer;
  }
}
