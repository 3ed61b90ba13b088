// Every way an install run can go, seen from outside: the boxes, the destination tree, the
// index file and the exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "install_boxes.h"
#include "medium_fixture.h"
#include "ordinary_user.h"
#include "tree_snapshot.h"

namespace cdinst::testing {
namespace {

class InstallPathsTest : public MediumTest {
 protected:
  InstallPathsTest() {
    WriteEditorTree();
    prefix_.MakeDirectory("C:\\DUDERUR");
  }
  ProgramResult InstallEditor(const std::string& mask = "*.*") {
    return Run({kTitle, "D:\\", "EDITOR", "1", mask}, "yes");
  }
  Tree Installed() const { return Snapshot(prefix_.Unix(kDestination)); }
  Tree EditorSource() const { return AsInstalled(Snapshot(prefix_.Unix("D:\\PROGS\\EDITOR"))); }
};

TEST_F(InstallPathsTest, SuccessCopiesTheVisibleTreeAndAppendsTheLine) {
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(Installed(), EditorSource());
  EXPECT_EQ(Installed().count("A\xC3\xA7\xC3\xA3o.txt"), 1u);
  EXPECT_EQ(prefix_.ReadFile(kIndex), kEditorLine);
}

TEST_F(InstallPathsTest, RepeatedInstallAppendsAnotherLine) {
  prefix_.WriteFile(kIndex, "Outro\tPrograma\tC:\\OUTRO\tCDROM\r\n");
  ASSERT_EQ(InstallEditor().exitCode, 0);
  ASSERT_EQ(InstallEditor().exitCode, 0);
  EXPECT_EQ(prefix_.ReadFile(kIndex),
            "Outro\tPrograma\tC:\\OUTRO\tCDROM\r\n" + kEditorLine + kEditorLine);
}

TEST_F(InstallPathsTest, MatchingCdromLineWithTheShortPathKeepsTheIndexAsItIs) {
  const std::string index = "Editor de Texto\tEditor simples\tC:\\ARQU~RXK\\Editor\\\tCDROM\r\n";
  prefix_.WriteFile(kIndex, index);
  EXPECT_EQ(InstallEditor().transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(prefix_.ReadFile(kIndex), index);
}

TEST_F(InstallPathsTest, SpecialDestinationNeverTouchesTheIndex) {
  prefix_.WriteFile("D:\\FONTES\\LETRA.TTF", "fonte");
  std::filesystem::remove(prefix_.Unix("C:\\DUDERUR"));
  const ProgramResult result = Run({kTitle, "D:\\", "FONTES", "1", "*.*"}, "yes");
  EXPECT_EQ(result.transcript, (Lines{Asked("C:\\windows\\FONTS\\"), kDone}));
  EXPECT_EQ(prefix_.ReadFile("C:\\windows\\FONTS\\LETRA.TTF"), "fonte");
  EXPECT_FALSE(prefix_.Exists("C:\\DUDERUR"));
}

TEST_F(InstallPathsTest, IndexThatCannotTakeTheLineEndsQuietly) {
  std::filesystem::remove(prefix_.Unix("C:\\DUDERUR"));
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, Lines{Asked(kDestination)});
  EXPECT_EQ(Installed(), EditorSource());
  EXPECT_FALSE(prefix_.Exists("C:\\DUDERUR"));
}

TEST_F(InstallPathsTest, FailingCopyReportsAndLeavesTheIndexAlone) {
  prefix_.MakeDirectory(kDestination + "EDITOR.EXE");  // the file cannot be created
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kCopyError}));
  EXPECT_FALSE(prefix_.Exists(kIndex));
  EXPECT_FALSE(prefix_.Exists(kDestination + "LEIAME.TXT"));  // listed after the failure
}

TEST_F(InstallPathsTest, DestinationBlockedByAFileIsReported) {
  prefix_.WriteFile("C:\\Arquivos de programas", "not a directory");
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination),
                                      Told("Erro na cria\xC3\xA7\xC3\xA3o do Diret\xC3\xB3rio")}));
  EXPECT_FALSE(prefix_.Exists(kIndex));
}

TEST_F(InstallPathsTest, MaskSelectsFilesButEverySubdirectoryIsMade) {
  ASSERT_EQ(InstallEditor("*.TXT;*.bmp").exitCode, 0);
  const Tree source = EditorSource();
  Tree expected;
  for (const char* path : {"LEIAME.TXT", "A\xC3\xA7\xC3\xA3o.txt", "AJUDA", "AJUDA/IMAGENS",
                           "AJUDA/IMAGENS/LOGO.BMP", "VAZIO"}) {
    expected[path] = source.at(path);
  }
  EXPECT_EQ(Installed(), expected);
}

TEST_F(InstallPathsTest, MissingOriginEndsInTheFatalReport) {
  std::filesystem::remove_all(prefix_.Unix("D:\\PROGS\\EDITOR"));
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 1);
  ASSERT_EQ(result.transcript.size(), 2u);
  EXPECT_EQ(result.transcript[0], Asked(kDestination));
  EXPECT_NE(result.transcript[1].find("\"caption\":\"Application Error\""), std::string::npos);
  EXPECT_NE(result.transcript[1].find("Exception IoError in module cdinst at "), std::string::npos);
  EXPECT_FALSE(prefix_.Exists(kIndex));
}

// Root may enter any directory: as root, the program runs as an ordinary user (65534), to whom
// the scratch directory is given. Empty when that cannot be done.
std::optional<ProgramResult> InstallAsOrdinaryUser(const std::string& scratch) {
  std::vector<std::string> command{CDINST_PROGRAM, kTitle, "D:\\", "EDITOR", "1", "*.*"};
  if (geteuid() == 0) {
    if (system("setpriv --help >/dev/null 2>&1") != 0) return std::nullopt;
    if (!GiveToOrdinaryUser(scratch)) return std::nullopt;
    command.insert(command.begin(),
                   {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  }
  const std::string transcript = scratch + "/transcript.jsonl";
  return RunCommand(command, {{"CDINST_ANSWER", "yes"}, {"CDINST_TRANSCRIPT", transcript}},
                    transcript);
}

TEST_F(InstallPathsTest, OriginOrSubfolderThatCannotBeEnteredOrListedEndsInTheFatalReport) {
  const std::pair<std::string, std::filesystem::perms> locks[] = {
      {"D:\\PROGS\\EDITOR", std::filesystem::perms::none},
      {"D:\\PROGS\\EDITOR", std::filesystem::perms(0644)},
      {"D:\\PROGS\\EDITOR\\AJUDA", std::filesystem::perms::none},
      {"D:\\PROGS\\EDITOR\\AJUDA\\IMAGENS", std::filesystem::perms(0644)},
      {"D:\\PROGS\\EDITOR\\AJUDA", std::filesystem::perms(0311)}};  // entered, not listed
  for (const auto& [directory, mode] : locks) {
    std::filesystem::remove_all(prefix_.Unix(kDestination));
    std::filesystem::permissions(prefix_.Unix(directory), mode);
    const std::optional<ProgramResult> result = InstallAsOrdinaryUser(prefix_.Directory());
    std::filesystem::permissions(prefix_.Unix(directory), std::filesystem::perms(0755));
    if (!result) GTEST_SKIP() << "cannot run as an ordinary user, and root may enter anything";
    EXPECT_EQ(result->exitCode, 1) << directory;
    ASSERT_EQ(result->transcript.size(), 2u) << directory;
    EXPECT_NE(result->transcript[1].find("File access denied"), std::string::npos)
        << result->transcript[1];
    EXPECT_FALSE(prefix_.Exists(kIndex));
  }
}

TEST_F(InstallPathsTest, FailedIndexWriteEndsInTheFatalReport) {
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI",
                    CrLfLines({"[PEQUENO]", "Nome=P", "Origem=PROGS\\PEQUENO", "Destino=C:\\P"}));
  prefix_.WriteFile("D:\\PROGS\\PEQUENO\\UM.TXT", "dez bytes!");
  // The copy writes once (the file's tail); the second write is the index line.
  const ProgramResult result =
      RunProgram({kTitle, "D:\\", "PEQUENO", "1", "*.*"},
                 {{"CDINST_ANSWER", "yes"}, {"CDINST_FAULT", "write:2:112"}}, prefix_.Directory());
  EXPECT_EQ(result.exitCode, 1);
  ASSERT_EQ(result.transcript.size(), 2u);
  EXPECT_NE(result.transcript[1].find("\\nI/O error 112.\""), std::string::npos)
      << result.transcript[1];
  EXPECT_EQ(prefix_.ReadFile("C:\\P\\UM.TXT"), "dez bytes!");
}

}  // namespace
}  // namespace cdinst::testing
