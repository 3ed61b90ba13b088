#include "medium_fixture.h"

#include "system_reg.h"

namespace cdinst::testing {

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

void WriteMediumSettings(const ScratchPrefix& prefix) {
  prefix.WriteFile(
      "D:\\DADOS\\PROGS.INI",
      CrLfLines({"[EDITOR]", "Nome=Editor de Texto", "Descricao=Editor simples",
                 "Origem=PROGS\\EDITOR", "Destino=%PROGRAMFILES%\\Editor", "", "[XADREZ]",
                 "Multi=JOGOS", "Nome=ignorado", "Destino=C:\\Ignorado", "Descricao=Jogo de xadrez",
                 "", "[FONTES]", "Nome=Fontes", "Origem=FONTES", "Destino=/FONTS", "",
                 "[SEMDESTINO]", "Nome=Sem destino"}));
  prefix.WriteFile(
      "D:\\DADOS\\MULTI.INI",
      CrLfLines({"[JOGOS]", "NomeB=Xadrez 3D", "SistemaB=3", "Origem32-B=PROGS\\XADREZ32",
                 "Destino32-B=C:\\Jogos\\Xadrez", "OrigemB=PROGS\\XADREZ",
                 "DestinoB=C:\\Jogos\\Xadrez16", "NomeA=Xadrez 2D", "OrigemA=PROGS\\XADREZ2D",
                 "DestinoA=C:\\Jogos\\Xadrez2D"}));
}

MediumTest::MediumTest() {
  WriteMediumSettings(prefix_);
  SetProgramFilesDir("C:\\Arquivos de programas");
}

void MediumTest::SetProgramFilesDir(const std::string& value) {
  WriteSystemReg(prefix_, "\"ProgramFilesDir\"=" + RegString(value));
}

void WriteEditorTree(const ScratchPrefix& prefix) {
  const std::string root = "D:\\PROGS\\EDITOR\\";
  prefix.WriteFile(root + "EDITOR.EXE", std::string(5000, 'e'));
  prefix.WriteFile(root + "LEIAME.TXT", std::string(700, 'l'));
  prefix.SetReadOnly(root + "LEIAME.TXT", true);
  prefix.WriteFile(root + ".oculto", "hidden");
  prefix.WriteFile(root + "A\xE7\xE3o.txt", "acento");
  prefix.WriteFile(root + "AJUDA\\INDICE.HLP", std::string(1024, 'h'));
  prefix.WriteFile(root + "AJUDA\\IMAGENS\\LOGO.BMP", "");
  prefix.WriteFile(root + ".config\\x.ini", "hidden");
  prefix.MakeDirectory(root + "VAZIO");
}

ProgramResult MediumTest::Run(const std::vector<std::string>& parameters,
                              const std::string& answer) {
  return RunProgram(parameters, {{"CDINST_ANSWER", answer}}, prefix_.Directory());
}

}  // namespace cdinst::testing
