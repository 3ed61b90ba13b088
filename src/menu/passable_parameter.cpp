#include "menu/passable_parameter.h"

#include "codepage/windows1252.h"
#include "startup/command_line.h"

namespace cdinst::menu {

std::optional<std::string> WhyNotPassable(const std::string& utf8) {
  const std::string windows = Utf8ToWindows1252(utf8);
  if (Windows1252ToUtf8(windows) != utf8) return "it holds a character with no Windows-1252 form";
  // The split skips an empty parameter, shifting the ones after it.
  if (windows.empty()) return "it is empty";
  // Quotes only group: a doubled one is dropped, and no escape brings it through.
  if (windows.find('"') != std::string::npos) return "it holds a double quote";
  if (windows.size() > kMaxParameterLength) {
    return "it is longer than " + std::to_string(kMaxParameterLength) + " characters";
  }
  return std::nullopt;
}

}  // namespace cdinst::menu
