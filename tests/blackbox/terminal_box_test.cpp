// Without CDINST_ANSWER, on a terminal, the Linux program draws its boxes and reads the
// answer typed at the prompt.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "medium_fixture.h"
#include "terminal_reading.h"

namespace cdinst::testing {
namespace {

using TerminalBoxTest = MediumTest;

TEST_F(TerminalBoxTest, QuestionIsDrawnAndAnsweredAtThePrompt) {
  const std::string transcript = prefix_.Directory() + "/terminal.jsonl";
  int terminal;
  const pid_t child =
      StartOnTerminal(terminal, "Instala\xC3\xA7\xC3\xA3o", {{"CDINST_TRANSCRIPT", transcript}});
  ASSERT_GE(child, 0);
  const std::string drawn = ReadUntil(terminal, "[N]\xC3\xA3o:");
  EXPECT_NE(drawn.find("Instala\xC3\xA7\xC3\xA3o"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("Pronto para copiar em: C:\\Arquivos de programas\\Editor\\"),
            std::string::npos)
      << drawn;
  ASSERT_EQ(write(terminal, "talvez\r", 7), 7);  // not an answer: asked again
  ReadUntil(terminal, "[N]\xC3\xA3o:");
  ASSERT_EQ(write(terminal, "n\r", 2), 2);
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream in(transcript);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_NE(line.find("\"result\":7}"), std::string::npos) << line;
  EXPECT_FALSE(prefix_.Exists("C:\\Arquivos de programas"));
}

}  // namespace
}  // namespace cdinst::testing
