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

class MediumTest : public ::testing::Test {
 protected:
  MediumTest();

  // The EDITOR program's files on the medium: nested directories, a read-only file, a hidden
  // file, an accented name, an empty directory and files of block-edge sizes.
  void WriteEditorTree();

  // Writes <prefix>/system.reg with HKLM's ProgramFilesDir (Windows-1252 text given).
  void SetProgramFilesDir(const std::string& value);

  // Runs the program with the five (or any number of) parameters, answering every box.
  ProgramResult Run(const std::vector<std::string>& parameters, const std::string& answer);

  ScratchPrefix prefix_;
};

// Joins lines with CR LF, as the medium's files are written.
std::string CrLfLines(const std::vector<std::string>& lines);

}  // namespace cdinst::testing
