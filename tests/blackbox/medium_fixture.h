// A prefix with a sample medium on D: and the registry's Program Files directory, for
// running the program end to end.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program_run.h"
#include "scratch_prefix.h"

namespace cdinst::testing {

inline const std::string kIndex = "C:\\DUDERUR\\INDICE2.CD";

// Where MediumTest's EDITOR goes, and the line its installation adds to the index.
inline const std::string kDestination = "C:\\Arquivos de programas\\Editor\\";
inline const std::string kEditorLine =
    "Editor de Texto\tEditor simples\tC:\\Arquivos de programas\\Editor\tVORTANE\r\n";

using Lines = std::vector<std::string>;

// The medium's DADOS\PROGS.INI and DADOS\MULTI.INI: EDITOR (destination under
// %PROGRAMFILES%), XADREZ with variants, FONTES ("/FONTS") and SEMDESTINO.
void WriteMediumSettings(const ScratchPrefix& prefix);

// The EDITOR program's files on the medium: nested directories, a read-only file, a hidden
// file, an accented name, an empty directory and files of block-edge sizes.
void WriteEditorTree(const ScratchPrefix& prefix);

class MediumTest : public ::testing::Test {
 protected:
  MediumTest();

  void WriteEditorTree() { testing::WriteEditorTree(prefix_); }

  // Writes <prefix>/system.reg with HKLM's ProgramFilesDir (Windows-1252 text given).
  void SetProgramFilesDir(const std::string& value);

  // Runs the program with the five (or any number of) parameters, answering every box.
  ProgramResult Run(const std::vector<std::string>& parameters, const std::string& answer);

  ScratchPrefix prefix_;
};

// Joins lines with CR LF, as the medium's files are written.
std::string CrLfLines(const std::vector<std::string>& lines);

}  // namespace cdinst::testing
