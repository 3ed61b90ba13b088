#include "settings/resolve_settings.h"

#include <gtest/gtest.h>

#include "scratch_prefix.h"
#include "system_reg.h"

namespace cdinst {
namespace {

std::string Ini(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class ResolveSettingsTest : public ::testing::Test {
 protected:
  ResolveSettingsTest() {
    testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=\"C:\\\\Arquivos de programas\"");
    settings_.SourceRoot = "D:\\";
    settings_.VariantSuffix = "B";
  }

  InstallSettings Resolve(const std::string& section) {
    settings_.ProgramSection = section;
    ResolveSettings(settings_);
    return settings_;
  }

  void WritePrograms(const std::vector<std::string>& lines) {
    prefix_.WriteFile("D:\\DADOS\\PROGS.INI", Ini(lines));
  }

  testing::ScratchPrefix prefix_;
  InstallSettings settings_;
};

TEST_F(ResolveSettingsTest, PlainEntryWithProgramFilesExpanded) {
  WritePrograms({"[editor]", "nome=Editor", "DESCRICAO=Um editor", "Origem=PROGS\\EDITOR",
                 "Destino=%PROGRAMFILES%\\Editor", "Origem32=PROGS\\EDITOR32"});
  const InstallSettings s = Resolve("EDITOR");
  EXPECT_NE(s.ProgramFilesDir, "");  // the emulated registry's value is checked on its own
  EXPECT_EQ(s.MultiSection, "");
  EXPECT_EQ(s.ProgramName, "Editor");
  EXPECT_EQ(s.Description, "Um editor");
  EXPECT_EQ(s.OriginPath, "PROGS\\EDITOR");
  EXPECT_EQ(s.DestinationPath, s.ProgramFilesDir + "\\Editor");
}

TEST_F(ResolveSettingsTest, SistemaThreeByAnySpellingSelectsTheAlternativeKeys) {
  for (const std::string sistema : {"3", "03", "+3", "  3", "$3", "0x3"}) {
    WritePrograms(
        {"[P]", "Sistema=" + sistema, "Origem=A", "Destino=B", "Origem32=A32", "Destino32=B32"});
    const InstallSettings s = Resolve("P");
    EXPECT_EQ(s.OriginPath + " " + s.DestinationPath, "A32 B32") << sistema;
  }
  for (const std::string sistema : {"3x", "4", ""}) {
    WritePrograms(
        {"[P]", "Sistema=" + sistema, "Origem=A", "Destino=B", "Origem32=A32", "Destino32=B32"});
    const InstallSettings s = Resolve("P");
    EXPECT_EQ(s.OriginPath + " " + s.DestinationPath, "A B") << sistema;
  }
}

TEST_F(ResolveSettingsTest, VariantsComeFromMultiIniWithTheSuffix) {
  WritePrograms({"[JOGO]", "Multi=Jogos", "Nome=NaoUsado", "Origem=NaoUsado", "Destino=NaoUsado",
                 "Descricao=Jogo de xadrez"});
  prefix_.WriteFile("D:\\DADOS\\MULTI.INI",
                    Ini({"[JOGOS]", "NomeB=Xadrez", "SistemaB=3", "Origem32-B=X32",
                         "Destino32-B=%PROGRAMFILES%\\X32", "Origem32B=errado", "OrigemB=X16",
                         "DestinoB=C:\\X16"}));
  InstallSettings s = Resolve("JOGO");
  EXPECT_EQ(s.MultiSection, "Jogos");
  EXPECT_EQ(s.ProgramName, "Xadrez");
  EXPECT_EQ(s.OriginPath, "X32");
  EXPECT_EQ(s.DestinationPath, s.ProgramFilesDir + "\\X32");
  EXPECT_EQ(s.Description, "Jogo de xadrez");

  settings_.VariantSuffix = "C";  // no such variant: empty, and PROGS.INI is not consulted
  s = Resolve("JOGO");
  EXPECT_EQ(s.ProgramName + s.OriginPath + s.DestinationPath, "");
  EXPECT_EQ(s.Description, "Jogo de xadrez");
}

TEST_F(ResolveSettingsTest, MissingFilesSectionsAndWrongRootGiveEmptyTexts) {
  InstallSettings s = Resolve("EDITOR");  // no PROGS.INI at all
  EXPECT_EQ(s.MultiSection + s.ProgramName + s.OriginPath + s.DestinationPath + s.Description, "");
  WritePrograms({"[EDITOR]", "Nome=Editor", "Multi=SEMARQUIVO"});
  s = Resolve("EDITOR");  // MULTI.INI is missing
  EXPECT_EQ(s.ProgramName, "");
  settings_.SourceRoot = "D:\\CD";  // joined without a separator: D:\CDDADOS\PROGS.INI
  prefix_.WriteFile("D:\\CD\\DADOS\\PROGS.INI", Ini({"[EDITOR]", "Nome=Editor"}));
  EXPECT_EQ(Resolve("EDITOR").ProgramName, "");
}

TEST_F(ResolveSettingsTest, LongSettingIsCutTo2047Characters) {
  WritePrograms({"[P]", "Destino=" + std::string(3000, 'd')});
  EXPECT_EQ(Resolve("P").DestinationPath, std::string(2047, 'd'));
}

TEST(ExpandProgramFilesTest, OnlyAnExactLeadingTokenIsReplaced) {
  struct Case {
    const char* destination;
    const char* expanded;
  };
  for (const Case& c :
       {Case{"%PROGRAMFILES%", "C:\\PF"}, Case{"%PROGRAMFILES%\\A", "C:\\PF\\A"},
        Case{"%programfiles%\\A", "%programfiles%\\A"},
        Case{"X\\%PROGRAMFILES%", "X\\%PROGRAMFILES%"}, Case{"%PROGRAMFILES", "%PROGRAMFILES"},
        Case{"%PROGRAMFILES%%PROGRAMFILES%", "C:\\PF%PROGRAMFILES%"}, Case{"", ""}}) {
    InstallSettings settings;
    settings.ProgramFilesDir = "C:\\PF";
    settings.DestinationPath = c.destination;
    ExpandProgramFiles(settings);
    EXPECT_EQ(settings.DestinationPath, c.expanded) << c.destination;
  }
}

}  // namespace
}  // namespace cdinst
