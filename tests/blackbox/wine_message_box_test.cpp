// A real message box: the Windows program under Wine shows its question on an X display, and
// a key press answers it.
#include <gtest/gtest.h>

#include <thread>

#include "medium_fixture.h"
#include "wine_run.h"

namespace cdinst::testing {
namespace {

TEST(WineMessageBoxTest, QuestionAnsweredNoWithTheKeyboardInstallsNothing) {
  if (!WineRunsEnabled()) GTEST_SKIP() << "set CDINST_WINE_TESTS=1 to run under Wine";
  ASSERT_EQ(MissingForWineRuns(), "");
  ScratchPrefix prefix(WineTemplatePrefix());
  WriteMediumSettings(prefix);
  WriteEditorTree(prefix);
  const std::string title = "CD de Programas";

  // The only visible window with the title is the box: the program's own window stays hidden.
  int pressed = -1;
  std::thread person([&] {
    pressed = RunCommand({"timeout", "60", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                          "^" + title + "$", "windowfocus", "--sync", "key", "n"},
                         {}, "")
                  .exitCode;
  });
  const ProgramResult result = RunUnderWine(prefix, {title, "D:\\", "EDITOR", "1", "*.*"}, {});
  person.join();
  StopWine(prefix);

  EXPECT_EQ(pressed, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(
      result.transcript,
      std::vector<std::string>{BoxLine(
          title, "Pronto para copiar em: C:\\Program Files (x86)\\Editor\\", kQuestion, kNo)});
  EXPECT_FALSE(prefix.Exists("C:\\Program Files (x86)\\Editor"));
}

}  // namespace
}  // namespace cdinst::testing
