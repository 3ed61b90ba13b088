// A real message box: the Windows program under Wine shows its question on an X display, and
// a key press answers it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "medium_fixture.h"
#include "wine_run.h"

namespace cdinst::testing {
namespace {

// Each test's own title: ctest runs tests side by side on one X display, and a search by title
// must find only its own test's box.
const std::string kKeyboardTitle = "CD de Programas - teclado";
const std::string kSecondRunTitle = "CD de Programas - segunda";

// Runs xdotool with `arguments` until it gets through, for a minute at most. Its search looks at
// every window on the display, and one that another test's Wine closes meanwhile makes X refuse
// the look (BadWindow), which ends xdotool at once: that says nothing of this test's box.
int Xdotool(const std::vector<std::string>& arguments) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
  constexpr int kTimedOut = 124;  // timeout(1)'s own
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - Clock::now());
    if (left.count() <= 0) return kTimedOut;
    std::vector<std::string> command{"timeout", std::to_string(left.count()), "xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const int exitCode = RunCommand(command, {}, "").exitCode;
    if (exitCode == 0 || exitCode == kTimedOut) return exitCode;
  }
}

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
    pressed = Xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + kKeyboardTitle + "$",
                       "windowfocus", "--sync", "key", "n"});
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
    found = Xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + kSecondRunTitle + "$"});
    second = RunUnderWine(
        prefix(), parameters,
        {{"CDINST_ANSWER", "yes"}, {"CDINST_TRANSCRIPT", prefix().Directory() + "/second.jsonl"}});
    Xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + kSecondRunTitle + "$",
             "windowfocus", "--sync", "key", "n"});
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
