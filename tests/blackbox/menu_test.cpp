// cdinst-menu over the sample medium: what it lists, how it refuses, and the installs it starts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

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

  CapturedRun Menu(std::vector<std::string> arguments, const std::string& input = "",
                   std::map<std::string, std::string> environment = {}) {
    arguments.insert(arguments.begin(), CDINST_MENU_PROGRAM);
    environment.insert({{"CDINST_ANSWER", "yes"}, {"CDINST_TRANSCRIPT", Transcript()}});
    return RunCapturing(arguments, environment, input, prefix_.Directory());
  }

  std::string Transcript() const { return prefix_.Directory() + "/boxes.jsonl"; }

  // A directory outside every drive but Z:.
  std::string Outside(const std::string& name) const {
    const std::string path = prefix_.Directory() + "/" + name;
    std::filesystem::create_directories(path);
    return path;
  }

  // Drive D: as a medium whose every program copies PROGS\P; `programs` is PROGS.INI's text.
  void WriteMedium(const std::string& programs, const std::string& variants = "") {
    prefix_.WriteFile("D:\\DADOS\\PROGS.INI", programs);
    prefix_.WriteFile("D:\\DADOS\\MULTI.INI", variants);
    prefix_.WriteFile("D:\\PROGS\\P\\LEIA.TXT", "x");
  }

  size_t EntriesOfC() const {
    return std::distance(std::filesystem::directory_iterator(prefix_.Unix("C:\\")), {});
  }

  ScratchPrefix prefix_;
};

// A section of PROGS.INI installing PROGS\P into `destination`.
std::string Program(const std::string& section, const std::string& destination,
                    const std::string& more = "") {
  return "[" + section + "]\r\nOrigem=PROGS\\P\r\nDestino=" + destination + "\r\n" + more;
}

// Bytes that move a terminal's cursor, ring it or start an escape: C0 but TAB and LF, DEL, and
// the C1 controls in UTF-8.
bool HasTerminalControls(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F ||
        (c == 0xC2 && next < 0xA0 && next >= 0x80)) {
      return true;
    }
  }
  return false;
}

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
  std::vector<std::string> media;
  for (const std::string name : {"a?b", "a\"b", "CD.", "progs-dir", "progs-fifo"}) {
    media.push_back(Outside(name));
    std::filesystem::copy(kSample, media.back(), std::filesystem::copy_options::recursive);
  }
  std::filesystem::remove(media[3] + "/DADOS/PROGS.INI");
  std::filesystem::create_directory(media[3] + "/DADOS/progs.ini");
  std::filesystem::remove(media[4] + "/DADOS/PROGS.INI");
  mkfifo((media[4] + "/DADOS/PROGS.INI").c_str(), 0644);
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string says = "";
  };
  const Case cases[] = {
      {{}, 2},
      {{"--list"}, 2},
      {{"--list", "E:", "EDITOR"}, 2},
      {{"E:", "EDITOR", "1", "*.*"}, 2},
      {{"--list", prefix_.Directory() + "/missing"}, 3},
      {{"--list", file}, 3, file + ": "},  // a file is read as a disc image
      {{file, "EDITOR"}, 3, file + ": "},
      {{"--list", "Q:"}, 3},
      {{"--list", file + "dir"}, 4},
      {{"E:", "NADA"}, 5},
      {{"E:", "XADREZ", "9"}, 5},
      {{"E:", "XADREZ"}, 5},
      {{"--list", media[0]}, 3, "cannot be written as a Windows path"},
      {{"--list", media[1]}, 3, "cannot be written as a Windows path"},
      {{"--list", media[2]}, 3, "cannot be written as a Windows path"},
      {{"--list", media[3]}, 4, "cannot read DADOS\\PROGS.INI"},
      {{"--list", media[4]}, 4, "cannot read DADOS\\PROGS.INI"},
  };
  for (const Case& c : cases) {
    const CapturedRun run = Menu(c.arguments);
    const std::string shown = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << shown;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << shown << run.err;
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

// The title is the drive's label as Wine keeps it, else the medium directory's name.
TEST_F(MenuTest, TitlesTheBoxesWithTheDriveLabelElseTheDirectoryName) {
  WriteMedium(Program("P", "C:\\P"));
  const std::string label = prefix_.Unix("D:\\") + "/.windows-label";
  const struct {
    std::optional<std::string> labelFile;
    std::string title;
  } cases[] = {
      {"Cole\xC3\xA7\xC3\xA3o 2\n", "Cole\xC3\xA7\xC3\xA3o 2"},
      {" \n", "medium"},
      {std::nullopt, "medium"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(label);
    if (c.labelFile) std::ofstream(label) << *c.labelFile;
    std::filesystem::remove(Transcript());
    EXPECT_EQ(Menu({"D:", "P"}).exitCode, 0) << c.title;
    std::string box;
    std::getline(std::ifstream(Transcript()), box);
    EXPECT_EQ(box.rfind("{\"caption\":\"" + c.title + "\"", 0), 0u) << box;
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

TEST_F(MenuTest, InstallsOnlyWhatReachesCdinstIntactAndTakesOnlyListedNamesByName) {
  const std::string longName(4100, 'L');
  WriteMedium(Program("A\"B", "C:\\QUOTE") + Program("AB", "C:\\PLAIN") +
              Program(longName, "C:\\LONG") + Program(longName.substr(0, 4096), "C:\\CUT") +
              Program("--x", "C:\\DASH") + Program("T\tAB", "C:\\TAB"));
  const CapturedRun list = Menu({"--list", "D:"});
  EXPECT_NE(list.out.find("A\"B\t1\t\t\tC:\\QUOTE\\\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("T?AB\t1\t\t\tC:\\TAB\\\n"), std::string::npos) << list.out;
  struct Case {
    std::vector<std::string> arguments;
    std::string input;
    int exitCode;
    std::string says;       // refused: on stderr
    std::string installed;  // else: a file it copied
  };
  const Case cases[] = {
      {{"D:", "A\"B"}, "", 5, "holds a double quote", ""},
      {{"D:"}, "1\n", 5, "holds a double quote", ""},
      {{"D:", longName}, "", 5, "longer than 4096 characters", ""},
      {{"D:", "AB", ""}, "", 5, "is empty", ""},
      {{"D:", "T\tAB"}, "", 5, "pick it from the menu", ""},
      {{"D:", "--x"}, "", 2, "usage", ""},
      {{"D:"}, "5\n", 0, "", "C:\\DASH\\LEIA.TXT"},
      {{"D:"}, "6\n", 0, "", "C:\\TAB\\LEIA.TXT"},
      {{"D:", "ab"}, "", 0, "", "C:\\PLAIN\\LEIA.TXT"},
  };
  for (const Case& c : cases) {
    const std::string shown = ::testing::PrintToString(c.arguments) + c.input;
    const size_t entries = EntriesOfC();
    const CapturedRun run = Menu(c.arguments, c.input);
    EXPECT_EQ(run.exitCode, c.exitCode) << shown << run.err;
    if (c.installed.empty()) {
      EXPECT_EQ(EntriesOfC(), entries) << shown;
      EXPECT_NE(run.err.find(c.says), std::string::npos) << shown << run.err;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << shown << run.err;
    } else {
      EXPECT_TRUE(prefix_.Exists(c.installed)) << shown;
    }
  }
}

TEST_F(MenuTest, NoTextFromTheMediumSteersTheTerminal) {
  WriteMedium(Program("E\x1B[2JSC", "C:\\D\x1B[31m\tX",
                      "Nome=N\x07ome\x9D\r\nDescricao=D\x1B]0;t\x07\tTAB\r\n") +
                  Program("Q\x1B[2J\"", "C:\\Q") + "[V\x90]\r\nMulti=G\x81\r\n",
              "[G\x81]\r\nNome\x1B"
              "1=\x9Bv\x8D\r\nDestino\x1B"
              "1=C:\\V\r\n");
  const std::string escaped = Outside("e\x1B[2Jsc");
  std::filesystem::copy(kSample, escaped, std::filesystem::copy_options::recursive);
  const std::vector<std::string> runs[] = {
      {"--list", "D:"}, {"D:"}, {"D:", "NADA\x1B[2J\x07"}, {"--list", escaped}, {"D:"}};
  const std::string inputs[] = {"", "q\n", "", "", "2\n"};
  const CapturedRun list = Menu(runs[0]);
  EXPECT_EQ(list.out,
            "E?[2JSC\t1\tN?ome?\tD?]0;t??TAB\tC:\\D?[31m?X\\\n"
            "Q?[2J\"\t1\t\t\tC:\\Q\\\n"
            "V?\t?1\t\xE2\x80\xBAv?\t\tC:\\V\\\n");
  // The translated messages carry the medium's texts through the same filter.
  for (const char* locale : {"C.UTF-8", "pt_BR.UTF-8"}) {
    for (size_t i = 0; i < std::size(runs); ++i) {
      const CapturedRun run = Menu(runs[i], inputs[i], {{"LC_ALL", locale}});
      const std::string shown = locale + ::testing::PrintToString(runs[i]) + inputs[i];
      EXPECT_FALSE(HasTerminalControls(run.out)) << shown << run.out;
      EXPECT_FALSE(HasTerminalControls(run.err)) << shown << run.err;
      EXPECT_NE(run.out.size() + run.err.size(), 0u) << shown;
    }
  }
}

// The menu's own words in the user's language; what the medium says, the list for scripts and
// the installer's boxes the same in every language.
TEST_F(MenuTest, SpeaksTheLanguageOfTheLocale) {
  const std::string choices =
      "  1) Editor de Textos  [EDITOR 1]\n"
      "     Editor de textos simples\n"
      "     -> C:\\Arquivos de programas\\Editor de Textos\\\n"
      "  2) Xadrez 3D (16 bits)  [XADREZ 1]\n"
      "     Jogo de xadrez em tr\xC3\xAAs dimens\xC3\xB5"
      "es\n"
      "     -> C:\\JOGOS\\XADREZ\\\n"
      "  3) Xadrez 3D  [XADREZ 2]\n"
      "     Jogo de xadrez em tr\xC3\xAAs dimens\xC3\xB5"
      "es\n"
      "     -> C:\\Arquivos de programas\\Xadrez 3D\\\n"
      "  4) Agenda Telef\xC3\xB4nica  [AGENDA 1]\n"
      "     Agenda de endere\xC3\xA7os e telefones\n"
      "     -> C:\\Arquivos de programas\\Agenda\\\n"
      "  5) Fontes do CD  [FONTES 1]\n"
      "     Fontes para os programas\n"
      "     -> C:\\windows\\FONTS\\\n";
  struct Case {
    std::map<std::string, std::string> environment;
    std::string screen;
    std::string refusal;
  };
  const Case cases[] = {
      {{{"LC_ALL", "C.UTF-8"}},
       "Programs on medium:\n\n" + choices + "\nInstall which program? (1-5, q quits) ",
       "cdinst-menu: no program \"NADA\" on the medium\n"},
      {{{"LC_ALL", ""}, {"LANG", "pt_BR.UTF-8"}},
       "Programas em medium:\n\n" + choices + "\nInstalar qual programa? (1-5, q para sair) ",
       "cdinst-menu: n\xC3\xA3o h\xC3\xA1 o programa \"NADA\" na m\xC3\xAD"
       "dia\n"},
  };
  std::vector<std::string> boxes;
  for (const Case& c : cases) {
    const std::string shown = ::testing::PrintToString(c.environment);
    EXPECT_EQ(Menu({"E:"}, "q\n", c.environment).out, c.screen) << shown;
    EXPECT_EQ(Menu({"E:", "NADA"}, "", c.environment).err, c.refusal) << shown;
    EXPECT_EQ(Menu({"--list", "E:"}, "", c.environment).out, kSampleList) << shown;
    std::filesystem::remove(Transcript());
    EXPECT_EQ(Menu({"E:", "EDITOR"}, "", c.environment).exitCode, 0) << shown;
    std::ifstream transcript(Transcript());
    const std::string run((std::istreambuf_iterator<char>(transcript)), {});
    EXPECT_NE(run.find("Pronto para copiar em: "), std::string::npos) << shown << run;
    boxes.push_back(run);
  }
  EXPECT_EQ(boxes.front(), boxes.back());
}

TEST_F(MenuTest, ListsFourThousandProgramsWithinSeconds) {
  std::string programs;
  for (int i = 0; i < 4000; ++i) {
    const std::string n = std::to_string(i);
    programs += Program("P" + n, "C:\\P" + n, "Nome=Programa " + n + "\r\nDescricao=D\r\n");
  }
  WriteMedium(programs);
  const auto start = std::chrono::steady_clock::now();
  const CapturedRun run = Menu({"--list", "D:"});
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 5000);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4000);
  EXPECT_NE(run.out.find("\nP3999\t1\tPrograma 3999\tD\tC:\\P3999\\\n"), std::string::npos);
}

}  // namespace
}  // namespace cdinst::testing
