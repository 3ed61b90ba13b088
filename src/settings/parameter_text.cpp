#include "settings/parameter_text.h"

#include "settings/install_settings.h"

namespace cdinst {
namespace {

bool IsBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

size_t SkipBlanksAndEmptyPairs(std::string_view text, size_t position) {
  for (;;) {
    while (position < text.size() && IsBlank(text[position])) ++position;
    if (text.substr(position, 2) != "\"\"") return position;
    position += 2;
  }
}

void Collect(std::string& parameter, char c) {
  if (parameter.size() < kMaxParameterLength) parameter += c;
}

// The text ends at its NUL, as the system's command line does.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

size_t NextParameter(std::string_view text, size_t position, std::string& parameter) {
  text = UpToNul(text);
  parameter.clear();
  position = SkipBlanksAndEmptyPairs(text, position);
  while (position < text.size() && !IsBlank(text[position])) {
    if (text[position] != '"') {
      Collect(parameter, text[position++]);
      continue;
    }
    ++position;
    while (position < text.size() && text[position] != '"') Collect(parameter, text[position++]);
    if (position < text.size()) ++position;  // the closing quote
  }
  return position;
}

int CountParametersIn(std::string_view commandLine) {
  std::string parameter;
  size_t position = NextParameter(commandLine, 0, parameter);
  int count = 0;
  for (;;) {
    position = NextParameter(commandLine, position, parameter);
    if (parameter.empty()) return count;
    ++count;
  }
}

std::string ParameterIn(std::string_view commandLine, int n) {
  std::string parameter;
  size_t position = NextParameter(commandLine, 0, parameter);
  for (int i = 1; i <= n; ++i) {
    position = NextParameter(commandLine, position, parameter);
    if (parameter.empty()) break;
  }
  return parameter;
}

}  // namespace cdinst
