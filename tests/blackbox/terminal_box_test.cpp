// Without CDINST_ANSWER, on a terminal, the Linux program draws its boxes and reads the
// answer typed at the prompt.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "codepage/windows1252.h"
#include "medium_fixture.h"
#include "terminal_reading.h"
#include "tree_snapshot.h"

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

// Runs into one destination take turns: while one holds it (here at its question on the
// terminal), two more are told so in a box and change nothing; the first then installs the whole
// tree, and a run after it installs again.
TEST_F(TerminalBoxTest, RunsIntoOneDestinationTakeTurns) {
  WriteEditorTree();
  prefix_.MakeDirectory("C:\\DUDERUR");
  int terminal;
  const pid_t first = StartOnTerminal(terminal, "CD");
  ASSERT_GE(first, 0);
  ReadUntil(terminal, "[N]\xC3\xA3o:");
  const std::vector<std::string> editor{"CD", "D:\\", "EDITOR", "1", "*.*"};
  const std::string refused = BoxLine("CD",
                                      "Outra instala\xC3\xA7\xC3\xA3o em andamento em: " +
                                          kDestination,
                                      kNotice, kOk);
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(Run(editor, "yes").transcript, std::vector<std::string>{refused});
    EXPECT_FALSE(prefix_.Exists(kDestination));
  }
  ASSERT_EQ(write(terminal, "s\r", 2), 2);
  ReadUntil(terminal, "Conclu");
  ASSERT_EQ(write(terminal, "\r", 1), 1);  // the report's OK
  int status = 0;
  waitpid(first, &status, 0);
  close(terminal);
  const Tree installed = Snapshot(prefix_.Unix(kDestination));
  EXPECT_EQ(installed, AsInstalled(Snapshot(prefix_.Unix("D:\\PROGS\\EDITOR"))));
  EXPECT_EQ(prefix_.ReadFile(kIndex), kEditorLine);
  EXPECT_EQ(Run(editor, "yes").transcript.back().find("Outra"), std::string::npos);
}

}  // namespace
}  // namespace cdinst::testing
