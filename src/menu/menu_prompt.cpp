#include "menu/menu_prompt.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "codepage/windows1252.h"
#include "translation/placeholders.h"
#include "translation/translation.h"

namespace cdinst::menu {
namespace {

// One line of stdin, byte by byte; nothing at its end.
std::optional<std::string> ReadLine() {
  std::string line;
  char c;
  ssize_t count;
  while ((count = read(STDIN_FILENO, &c, 1)) == 1 && c != '\n') line += c;
  if (count != 1 && line.empty()) return std::nullopt;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  while (!line.empty() && line.front() == ' ') line.erase(0, 1);
  return line;
}

// A message with the medium's title in it, on its own line.
void PrintAboutTitle(const char* message, const std::string& title) {
  std::printf("%s\n", TerminalText(Filled(Translated(message), {title})).c_str());
}

void ShowChoices(const std::vector<Choice>& choices, const std::string& title) {
  PrintAboutTitle(MarkedForTranslation("Programs on {1}:"), title);
  std::printf("\n");
  for (size_t i = 0; i < choices.size(); ++i) {
    const Choice& choice = choices[i];
    std::printf("%3zu) %s  [%s %s]\n", i + 1, ShownText(choice.name).c_str(),
                ShownText(choice.section).c_str(), ShownText(choice.suffix).c_str());
    if (!choice.description.empty())
      std::printf("     %s\n", ShownText(choice.description).c_str());
    std::printf("     -> %s\n", ShownText(choice.destination).c_str());
  }
}

}  // namespace

std::optional<size_t> PickChoice(const std::vector<Choice>& choices, const std::string& title) {
  if (choices.empty()) {
    PrintAboutTitle(MarkedForTranslation("No programs on {1}."), title);
    return std::nullopt;
  }
  ShowChoices(choices, title);
  const std::string question =
      TerminalText(Filled(Translated("Install which program? ({1}-{2}, q quits)"),
                          {"1", std::to_string(choices.size())}));
  for (;;) {
    std::printf("\n%s ", question.c_str());
    std::fflush(stdout);
    const std::optional<std::string> line = ReadLine();
    if (!line || *line == "q" || *line == "Q") return std::nullopt;
    char* end = nullptr;
    const unsigned long number = std::strtoul(line->c_str(), &end, 10);
    if (!line->empty() && *end == '\0' && number >= 1 && number <= choices.size()) {
      return number - 1;
    }
  }
}

void PrintChoiceList(const std::vector<Choice>& choices) {
  for (const Choice& choice : choices) {
    std::printf("%s\t%s\t%s\t%s\t%s\n", ShownText(choice.section).c_str(),
                ShownText(choice.suffix).c_str(), ShownText(choice.name).c_str(),
                ShownText(choice.description).c_str(), ShownText(choice.destination).c_str());
  }
}

std::string ShownText(const std::string& windows1252) {
  return TerminalText(Windows1252ToUtf8(windows1252));
}

bool IsShownForm(const std::string& utf8) {
  return Windows1252ToUtf8(Utf8ToWindows1252(utf8)) == utf8 && TerminalText(utf8) == utf8;
}

}  // namespace cdinst::menu
