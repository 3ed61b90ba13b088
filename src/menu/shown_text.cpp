#include "menu/shown_text.h"

#include "codepage/windows1252.h"

namespace cdinst::menu {

std::string ShownText(const std::string& windows1252) {
  return TerminalText(Windows1252ToUtf8(windows1252));
}

bool IsShownForm(const std::string& utf8) {
  return Windows1252ToUtf8(Utf8ToWindows1252(utf8)) == utf8 && TerminalText(utf8) == utf8;
}

}  // namespace cdinst::menu
