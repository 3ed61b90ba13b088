// While the Linux program copies, a terminal on stderr shows one status line, cleared at the
// end; anything else on stderr gets nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "medium_fixture.h"
#include "terminal_reading.h"

namespace cdinst::testing {
namespace {

class StatusLineTest : public MediumTest {
 protected:
  StatusLineTest() {
    WriteEditorTree();
    prefix_.MakeDirectory("C:\\DUDERUR");
  }
};

// The first line comes with the first file, in the locale's language and numbers.
TEST_F(StatusLineTest, TerminalShowsTheCopyAndIsClearedAfterIt) {
  const struct {
    const char* locale;
    std::string first;
  } cases[] = {
      {"C.UTF-8", "copying: 1 file, 0.0 MB  C:\\Arquivos de programas\\Editor\\"},
      {"pt_BR.UTF-8", "copiando: 1 arquivo, 0,0 MB  C:\\Arquivos de programas\\Editor\\"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(prefix_.Unix(kDestination));
    int terminal;
    const pid_t child =
        StartOnTerminal(terminal, "Status", {{"CDINST_ANSWER", "yes"}, {"LC_ALL", c.locale}});
    ASSERT_GE(child, 0);
    const std::string shown = ReadUntil(terminal, "\x01");  // everything, to the end
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string clear = "\r\x1b[K";
    EXPECT_EQ(shown.rfind(clear + c.first, 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - clear.size()), clear) << shown;
    EXPECT_TRUE(prefix_.Exists(kDestination + "AJUDA\\IMAGENS\\LOGO.BMP"));
  }
}

TEST_F(StatusLineTest, PipeGetsNothing) {
  const CapturedRun run = RunCapturing({CDINST_PROGRAM, "Status", "D:\\", "EDITOR", "1", "*.*"},
                                       {{"CDINST_ANSWER", "yes"}}, "", prefix_.Directory());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(prefix_.Exists(kDestination + "AJUDA\\IMAGENS\\LOGO.BMP"));
}

}  // namespace
}  // namespace cdinst::testing
