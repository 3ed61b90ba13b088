// cdinst-menu over the sample medium: what it lists, how it refuses, and the installs it starts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "program_run.h"
#include "scratch_prefix.h"
#include "system_reg.h"

namespace cdinst::testing {
namespace {

const std::string kSample = CDINST_SOURCE_DIR "/examples/medium";

// UTF-8, as the menu prints it.
const std::string kSampleList =
    "EDITOR\t1\tEditor de Textos\tEditor de textos simples\t"
    "C:\\Arquivos de programas\\Editor de Textos\\\n"
    "XADREZ\t1\tXadrez 3D (16 bits)\tJogo de xadrez em tr\xC3\xAAs dimens\xC3\xB5"
    "es\t"
    "C:\\JOGOS\\XADREZ\\\n"
    "XADREZ\t2\tXadrez 3D\tJogo de xadrez em tr\xC3\xAAs dimens\xC3\xB5"
    "es\t"
    "C:\\Arquivos de programas\\Xadrez 3D\\\n"
    "AGENDA\t1\tAgenda Telef\xC3\xB4nica\tAgenda de endere\xC3\xA7os e telefones\t"
    "C:\\Arquivos de programas\\Agenda\\\n"
    "FONTES\t1\tFontes do CD\tFontes para os programas\tC:\\windows\\FONTS\\\n";

// The sample medium is drive E: of a prefix with a Program Files directory and the index's
// directory.
class MenuTest : public ::testing::Test {
 protected:
  MenuTest() {
    WriteSystemReg(prefix_, "\"ProgramFilesDir\"=" + RegString("C:\\Arquivos de programas"));
    prefix_.MakeDirectory("C:\\DUDERUR");
    prefix_.MapDrive('e', kSample);
  }

  CapturedRun Menu(std::vector<std::string> arguments, const std::string& input = "") {
    arguments.insert(arguments.begin(), CDINST_MENU_PROGRAM);
    return RunCapturing(arguments, {{"CDINST_ANSWER", "yes"}, {"CDINST_TRANSCRIPT", Transcript()}},
                        input, prefix_.Directory());
  }

  std::string Transcript() const { return prefix_.Directory() + "/boxes.jsonl"; }

  // A directory outside every drive but Z:.
  std::string Outside(const std::string& name) const {
    const std::string path = prefix_.Directory() + "/" + name;
    std::filesystem::create_directories(path);
    return path;
  }

  ScratchPrefix prefix_;
};

TEST_F(MenuTest, ListsEveryChoiceInTheSettingsOrderWhateverTheMediumIsCalled) {
  for (const std::string& medium : {std::string("E:"), std::string("e:\\"), kSample}) {
    const CapturedRun run = Menu({"--list", medium});
    EXPECT_EQ(run.exitCode, 0) << medium;
    EXPECT_EQ(run.out, kSampleList) << medium;
    EXPECT_EQ(run.err, "") << medium;
  }
}

TEST_F(MenuTest, RefusesWithItsExitCodeAndOneLine) {
  const std::string file = Outside("plain") + "/file";
  std::filesystem::create_directories(file + "dir");
  std::ofstream(file) << "x";
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  const Case cases[] = {
      {{}, 2},
      {{"--list"}, 2},
      {{"--list", "E:", "EDITOR"}, 2},
      {{"E:", "EDITOR", "1", "*.*"}, 2},
      {{"--list", prefix_.Directory() + "/missing"}, 3},
      {{"--list", file}, 3},
      {{"--list", "Q:"}, 3},
      {{"--list", file + "dir"}, 4},
      {{"E:", "NADA"}, 5},
      {{"E:", "XADREZ", "9"}, 5},
      {{"E:", "XADREZ"}, 5},
  };
  for (const Case& c : cases) {
    const CapturedRun run = Menu(c.arguments);
    const std::string shown = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << shown;
    EXPECT_EQ(run.out, "") << shown;
    EXPECT_EQ(run.err.rfind("cdinst-menu: ", 0), 0u) << shown << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << shown << run.err;
  }
  EXPECT_FALSE(prefix_.Exists("C:\\JOGOS"));
}

TEST_F(MenuTest, UnreadableMediumIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every directory";
  const std::string closed = Outside("closed");
  chmod(closed.c_str(), 0);
  EXPECT_EQ(Menu({"--list", closed}).exitCode, 3);
  chmod(closed.c_str(), 0700);
}

TEST_F(MenuTest, InstallsTheChoiceFromTheMenuOrTheCommandLine) {
  const std::string copy = Outside("Cole\xC3\xA7\xC3\xA3o") + "/CD";
  std::filesystem::copy(kSample, copy, std::filesystem::copy_options::recursive);
  // Z: cannot spell this one's path: only its own drive reaches it.
  const std::string mapped = Outside("\xE6\x97\xA5\xE6\x9C\xAC") + "/CD";
  std::filesystem::copy(kSample, mapped, std::filesystem::copy_options::recursive);
  prefix_.MapDrive('f', mapped);
  struct Case {
    std::vector<std::string> arguments;
    std::string input;
    std::string installedFile;
    std::string indexLine;  // Windows-1252
    std::string title;
  };
  const Case cases[] = {
      {{"E:"},
       "7\nnada\n2\n",
       "C:\\JOGOS\\XADREZ\\XADREZ.EXE",
       "Xadrez 3D (16 bits)\tJogo de xadrez em tr\xEAs dimens\xF5"
       "es\tC:\\JOGOS\\XADREZ\tVORTANE",
       "medium"},
      {{kSample, "xadrez", "2"},
       "",
       "C:\\Arquivos de programas\\Xadrez 3D\\PECAS\\REI.BMP",
       "Xadrez 3D\tJogo de xadrez em tr\xEAs dimens\xF5"
       "es\tC:\\Arquivos de programas\\Xadrez 3D\tVORTANE",
       "medium"},
      {{copy, "AGENDA"},
       "",
       "C:\\Arquivos de programas\\Agenda\\DADOS\\CONTATOS.DAT",
       "Agenda Telef\xF4nica\tAgenda de endere\xE7os e telefones\tC:\\Arquivos de "
       "programas\\Agenda\tVORTANE",
       "CD"},
      {{mapped, "EDITOR"},
       "",
       "C:\\Arquivos de programas\\Editor de Textos\\AJUDA\\INDICE.HLP",
       "Editor de Textos\tEditor de textos simples\tC:\\Arquivos de programas\\Editor de "
       "Textos\tVORTANE",
       "CD"},
  };
  for (const Case& c : cases) {
    const std::string shown = ::testing::PrintToString(c.arguments);
    std::filesystem::remove(Transcript());
    EXPECT_EQ(Menu(c.arguments, c.input).exitCode, 0) << shown;
    std::string box;
    std::getline(std::ifstream(Transcript()), box);
    EXPECT_EQ(box.rfind("{\"caption\":\"" + c.title + "\"", 0), 0u) << shown << box;
    EXPECT_TRUE(prefix_.Exists(c.installedFile)) << shown;
    EXPECT_NE(prefix_.ReadFile("C:\\DUDERUR\\INDICE2.CD").find(c.indexLine + "\r\n"),
              std::string::npos)
        << shown;
  }
}

TEST_F(MenuTest, QuittingInstallsNothing) {
  for (const std::string input : {"q\n", "", "0\nQ\n"}) {
    const CapturedRun run = Menu({"E:"}, input);
    EXPECT_EQ(run.exitCode, 0) << input;
    EXPECT_NE(run.out.find("5) Fontes do CD  [FONTES 1]"), std::string::npos) << run.out;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(prefix_.Unix("C:\\")), {}), 1);
}

}  // namespace
}  // namespace cdinst::testing
