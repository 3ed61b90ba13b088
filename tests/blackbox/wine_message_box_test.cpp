// A real message box: the Windows program under Wine shows its question on an X display, and
// a key press answers it.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "medium_fixture.h"
#include "wine_run.h"

namespace cdinst::testing {
namespace {

// Each test's own title: ctest runs tests side by side on one X display, and a search by title
// must find only its own test's box.
const std::string kKeyboardTitle = "CD de Programas - teclado";
const std::string kSecondRunTitle = "CD de Programas - segunda";

class WineMessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!WineRunsEnabled()) GTEST_SKIP() << "set CDINST_WINE_TESTS=1 to run under Wine";
    ASSERT_EQ(MissingForWineRuns(), "");
    owned_ = std::make_unique<ScratchPrefix>(WineTemplatePrefix());
    WriteMediumSettings(prefix());
    WriteEditorTree(prefix());
  }

  const ScratchPrefix& prefix() const { return *owned_; }

 private:
  std::unique_ptr<ScratchPrefix> owned_;  // made once the runs are known to be wanted
};

TEST_F(WineMessageBoxTest, QuestionAnsweredNoWithTheKeyboardInstallsNothing) {
  // The only visible window with the title is the box: the program's own window stays hidden.
  int pressed = -1;
  std::thread person([&] {
    pressed = RunCommand({"timeout", "60", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                          "^" + kKeyboardTitle + "$", "windowfocus", "--sync", "key", "n"},
                         {}, "")
                  .exitCode;
  });
  const ProgramResult result =
      RunUnderWine(prefix(), {kKeyboardTitle, "D:\\", "EDITOR", "1", "*.*"}, {});
  person.join();
  StopWine(prefix());

  EXPECT_EQ(pressed, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript,
            std::vector<std::string>{
                BoxLine(kKeyboardTitle, "Pronto para copiar em: C:\\Program Files (x86)\\Editor\\",
                        kQuestion, kNo)});
  EXPECT_FALSE(prefix().Exists("C:\\Program Files (x86)\\Editor"));
}

// While one run holds its destination (its question open), a second one into it is refused with
// a box, under Wine as on Linux.
TEST_F(WineMessageBoxTest, SecondRunIntoTheSameDestinationIsRefused) {
  const std::vector<std::string> parameters{kSecondRunTitle, "D:\\", "EDITOR", "1", "*.*"};
  const std::string destination = "C:\\Program Files (x86)\\Editor\\";

  ProgramResult second;
  int found = -1;
  std::thread person([&] {
    found = RunCommand({"timeout", "60", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                        "^" + kSecondRunTitle + "$"},
                       {}, "")
                .exitCode;
    second = RunUnderWine(
        prefix(), parameters,
        {{"CDINST_ANSWER", "yes"}, {"CDINST_TRANSCRIPT", prefix().Directory() + "/second.jsonl"}});
    RunCommand({"timeout", "60", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                "^" + kSecondRunTitle + "$", "windowfocus", "--sync", "key", "n"},
               {}, "");
  });
  const ProgramResult first = RunUnderWine(prefix(), parameters, {});
  person.join();
  StopWine(prefix());

  ASSERT_EQ(found, 0) << "the first run's question never showed";
  EXPECT_EQ(second.transcript,
            std::vector<std::string>{BoxLine(
                kSecondRunTitle, "Outra instala\xC3\xA7\xC3\xA3o em andamento em: " + destination,
                kNotice, kOk)});
  EXPECT_EQ(first.transcript,
            std::vector<std::string>{
                BoxLine(kSecondRunTitle, "Pronto para copiar em: " + destination, kQuestion, kNo)});
  EXPECT_FALSE(prefix().Exists(destination));
}

}  // namespace
}  // namespace cdinst::testing
