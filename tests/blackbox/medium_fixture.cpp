#include "medium_fixture.h"

#include "system_reg.h"

namespace cdinst::testing {

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

MediumTest::MediumTest() {
  prefix_.WriteFile(
      "D:\\DADOS\\PROGS.INI",
      CrLfLines({"[EDITOR]", "Nome=Editor de Texto", "Descricao=Editor simples",
                 "Origem=PROGS\\EDITOR", "Destino=%PROGRAMFILES%\\Editor", "", "[XADREZ]",
                 "Multi=JOGOS", "Nome=ignorado", "Destino=C:\\Ignorado", "Descricao=Jogo de xadrez",
                 "", "[FONTES]", "Nome=Fontes", "Origem=FONTES", "Destino=/FONTS", "",
                 "[SEMDESTINO]", "Nome=Sem destino"}));
  prefix_.WriteFile(
      "D:\\DADOS\\MULTI.INI",
      CrLfLines({"[JOGOS]", "NomeB=Xadrez 3D", "SistemaB=3", "Origem32-B=PROGS\\XADREZ32",
                 "Destino32-B=C:\\Jogos\\Xadrez", "OrigemB=PROGS\\XADREZ",
                 "DestinoB=C:\\Jogos\\Xadrez16", "NomeA=Xadrez 2D", "OrigemA=PROGS\\XADREZ2D",
                 "DestinoA=C:\\Jogos\\Xadrez2D"}));
  SetProgramFilesDir("C:\\Arquivos de programas");
}

void MediumTest::SetProgramFilesDir(const std::string& value) {
  WriteSystemReg(prefix_, "\"ProgramFilesDir\"=" + RegString(value));
}

void MediumTest::WriteEditorTree() {
  const std::string root = "D:\\PROGS\\EDITOR\\";
  prefix_.WriteFile(root + "EDITOR.EXE", std::string(5000, 'e'));
  prefix_.WriteFile(root + "LEIAME.TXT", std::string(700, 'l'));
  prefix_.SetReadOnly(root + "LEIAME.TXT", true);
  prefix_.WriteFile(root + ".oculto", "hidden");
  prefix_.WriteFile(root + "A\xE7\xE3o.txt", "acento");
  prefix_.WriteFile(root + "AJUDA\\INDICE.HLP", std::string(1024, 'h'));
  prefix_.WriteFile(root + "AJUDA\\IMAGENS\\LOGO.BMP", "");
  prefix_.WriteFile(root + ".config\\x.ini", "hidden");
  prefix_.MakeDirectory(root + "VAZIO");
}

ProgramResult MediumTest::Run(const std::vector<std::string>& parameters,
                              const std::string& answer) {
  return RunProgram(parameters, {{"CDINST_ANSWER", answer}}, prefix_.Directory());
}

}  // namespace cdinst::testing
