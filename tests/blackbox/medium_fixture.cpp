#include "medium_fixture.h"

#include <fstream>

namespace cdinst::testing {

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

MediumTest::MediumTest() {
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI",
                    CrLfLines({"[EDITOR]", "Nome=Editor de Texto", "Descricao=Editor simples",
                               "Origem=PROGS\\EDITOR", "Destino=%PROGRAMFILES%\\Editor", "",
                               "[XADREZ]", "Multi=JOGOS", "Nome=ignorado",
                               "Destino=C:\\Ignorado", "Descricao=Jogo de xadrez", "",
                               "[FONTES]", "Nome=Fontes", "Origem=FONTES", "Destino=/FONTS", "",
                               "[SEMDESTINO]", "Nome=Sem destino"}));
  prefix_.WriteFile("D:\\DADOS\\MULTI.INI",
                    CrLfLines({"[JOGOS]", "NomeB=Xadrez 3D", "SistemaB=3",
                               "Origem32-B=PROGS\\XADREZ32", "Destino32-B=C:\\Jogos\\Xadrez",
                               "OrigemB=PROGS\\XADREZ", "DestinoB=C:\\Jogos\\Xadrez16",
                               "NomeA=Xadrez 2D", "OrigemA=PROGS\\XADREZ2D",
                               "DestinoA=C:\\Jogos\\Xadrez2D"}));
  SetProgramFilesDir("C:\\Arquivos de programas");
}

void MediumTest::SetProgramFilesDir(const std::string& value) {
  std::string escaped;
  for (char c : value) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  const std::string reg =
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
      "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1700000000\n"
      "#time=1da0000000000000\n\"ProgramFilesDir\"=\"" +
      escaped + "\"\n";
  std::ofstream(prefix_.PrefixDirectory() + "/system.reg", std::ios::binary | std::ios::trunc)
      << reg;
}

ProgramResult MediumTest::Run(const std::vector<std::string>& parameters,
                              const std::string& answer) {
  return RunProgram(parameters, {{"CDINST_ANSWER", answer}}, prefix_.Directory());
}

}  // namespace cdinst::testing
