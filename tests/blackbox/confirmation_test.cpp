// The program's start: the parameter gate, the settings it resolves as the confirmation
// shows them, and answering No.
#include <gtest/gtest.h>

#include "medium_fixture.h"

namespace cdinst::testing {
namespace {

const std::string kTitle = "Instala\xC3\xA7\xC3\xA3o do CD";  // UTF-8, as a shell passes it

std::string Question(const std::string& destination, int result = kNo) {
  return BoxLine(kTitle, "Pronto para copiar em: " + destination, kQuestion, result);
}

using ConfirmationTest = MediumTest;

TEST_F(ConfirmationTest, WrongParameterCountShowsNothing) {
  for (const auto& parameters :
       std::vector<std::vector<std::string>>{{kTitle, "D:\\", "EDITOR", "1"},
                                             {kTitle, "D:\\", "EDITOR", "1", "*.*", "extra"},
                                             {kTitle, "D:\\", "EDITOR", "", "*.*"},
                                             {}}) {
    const ProgramResult result = Run(parameters, "yes");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.transcript.empty()) << result.transcript.front();
  }
}

TEST_F(ConfirmationTest, AnswerNoAsksOnceAndCreatesNothing) {
  const ProgramResult result = Run({kTitle, "D:\\", "EDITOR", "1", "*.*"}, "no");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript,
            std::vector<std::string>{Question("C:\\Arquivos de programas\\Editor\\")});
  EXPECT_FALSE(prefix_.Exists("C:\\Arquivos de programas"));
}

TEST_F(ConfirmationTest, VariantComesFromMultiIni) {
  EXPECT_EQ(Run({kTitle, "D:\\", "XADREZ", "B", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\Jogos\\Xadrez\\")});
  EXPECT_EQ(Run({kTitle, "D:\\", "xadrez", "A", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\Jogos\\Xadrez2D\\")});
}

TEST_F(ConfirmationTest, SpecialDestinationResolvesToTheWindowsDirectory) {
  EXPECT_EQ(Run({kTitle, "D:\\", "FONTES", "1", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\windows\\FONTS\\")});
}

TEST_F(ConfirmationTest, RegistryFallbackAndTrailingBackslash) {
  SetProgramFilesDir("E:\\Programas\\");
  EXPECT_EQ(Run({kTitle, "D:\\", "EDITOR", "1", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("E:\\Programas\\Editor\\")});
  std::remove((prefix_.PrefixDirectory() + "/system.reg").c_str());
  EXPECT_EQ(Run({kTitle, "D:\\", "EDITOR", "1", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\Editor\\")});
}

TEST_F(ConfirmationTest, MediumGivenInAnotherLetterCaseAndThroughZ) {
  EXPECT_EQ(Run({kTitle, "d:\\", "EDITOR", "1", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\Arquivos de programas\\Editor\\")});
  std::string throughZ = "Z:" + prefix_.Directory() + "/medium/";
  for (char& c : throughZ) c = c == '/' ? '\\' : c;
  EXPECT_EQ(Run({kTitle, throughZ, "EDITOR", "1", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\Arquivos de programas\\Editor\\")});
}

TEST_F(ConfirmationTest, MissingDestinationIsReportedAndNothingIsAsked) {
  const std::string notice =
      BoxLine(kTitle, "Destino da instala\xC3\xA7\xC3\xA3o n\xC3\xA3o definido", kNotice, kOk);
  for (const char* section : {"SEMDESTINO", "NAOEXISTE"}) {
    const ProgramResult result = Run({kTitle, "D:\\", section, "1", "*.*"}, "yes");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.transcript, std::vector<std::string>{notice}) << section;
  }
  // Without its trailing backslash the medium's files are looked for under a wrong name.
  prefix_.WriteFile("D:\\CD\\DADOS\\PROGS.INI", prefix_.ReadFile("D:\\DADOS\\PROGS.INI"));
  EXPECT_EQ(Run({kTitle, "D:\\CD", "EDITOR", "1", "*.*"}, "yes").transcript,
            std::vector<std::string>{notice});
}

TEST_F(ConfirmationTest, LongTitleIsCutInTheCaption) {
  const std::string title(300, 'T');
  const ProgramResult result = Run({title, "D:\\", "EDITOR", "1", "*.*"}, "no");
  ASSERT_EQ(result.transcript.size(), 1u);
  EXPECT_EQ(result.transcript[0],
            BoxLine(std::string(255, 'T'),
                    "Pronto para copiar em: C:\\Arquivos de programas\\Editor\\", kQuestion, kNo));
}

TEST_F(ConfirmationTest, DestinationTooLongForTheQuestionIsRefused) {
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI",
                    CrLfLines({"[LONGO]", "Origem=X", "Destino=C:\\" + std::string(229, 'd')}));
  const ProgramResult result = Run({kTitle, "D:\\", "LONGO", "1", "*.*"}, "yes");
  EXPECT_EQ(result.transcript, std::vector<std::string>{BoxLine(
                                   kTitle, "Caminho de destino longo demais", kNotice, kOk)});
  // One character less fits the box whole: 23 + 3 + 228 + 1 characters.
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI",
                    CrLfLines({"[LONGO]", "Origem=X", "Destino=C:\\" + std::string(228, 'd')}));
  EXPECT_EQ(Run({kTitle, "D:\\", "LONGO", "1", "*.*"}, "no").transcript,
            std::vector<std::string>{Question("C:\\" + std::string(228, 'd') + "\\")});
}

}  // namespace
}  // namespace cdinst::testing
