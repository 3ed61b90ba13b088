// The Program Files directory as read from the emulated registry, whatever that file holds.
#include <gtest/gtest.h>

#include "scratch_prefix.h"
#include "settings/program_files_dir.h"
#include "system_reg.h"

namespace cdinst {
namespace {

class ProgramFilesDirTest : public ::testing::Test {
 protected:
  testing::ScratchPrefix prefix_;
};

TEST_F(ProgramFilesDirTest, OneTrailingBackslashIsRemoved) {
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=\"C:\\\\Programas\\\\\\\\\"");
  EXPECT_EQ(ReadProgramFilesDir(), "C:\\Programas\\");
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=\"\\\\\"");
  EXPECT_EQ(ReadProgramFilesDir(), "");
}

TEST_F(ProgramFilesDirTest, FallsBackToDriveC) {
  EXPECT_EQ(ReadProgramFilesDir(), "C:");  // no system.reg
  testing::WriteSystemReg(prefix_, "\"Outro\"=\"C:\\\\X\"");
  EXPECT_EQ(ReadProgramFilesDir(), "C:");
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=\"\"");
  EXPECT_EQ(ReadProgramFilesDir(), "C:");
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=dword:00000003");
  EXPECT_EQ(ReadProgramFilesDir(), "C:");
}

TEST_F(ProgramFilesDirTest, ExpandableValueIsTakenAsStoredAndAccentsSurvive) {
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=str(2):\"%SystemDrive%\\\\Programas\"");
  EXPECT_EQ(ReadProgramFilesDir(), "%SystemDrive%\\Programas");
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=" + testing::RegString("C:\\Aplica\xE7\xF5"
                                                                               "es"));
  EXPECT_EQ(ReadProgramFilesDir(),
            "C:\\Aplica\xE7\xF5"
            "es");
}

TEST_F(ProgramFilesDirTest, ThirtyTwoBitViewOfA64BitPrefix) {
  testing::WriteSystemReg(prefix_, "\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"", true,
                          "\"ProgramFilesDir\"=\"C:\\\\Program Files\"");
  EXPECT_EQ(ReadProgramFilesDir(), "C:\\Program Files (x86)");
}

}  // namespace
}  // namespace cdinst
