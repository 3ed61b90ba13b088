// A prefix with C:\DUDERUR and one installed program's destination, for the index tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "install/install_index.h"
#include "platform/io_error.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {

inline constexpr char kName[] = "Xadrez 3D";
inline constexpr char kDescription[] = "Jogo de xadrez";
inline constexpr char kDestination[] = "C:\\Arquivos de programas\\Xadrez 3D\\";
// What this installer writes for the installation above.
inline constexpr char kOwnLine[] =
    "Xadrez 3D\tJogo de xadrez\tC:\\Arquivos de programas\\Xadrez 3D\tVORTANE\r\n";

inline std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  EXPECT_GT(length, 0u) << path;
  EXPECT_LT(length, DWORD{MAX_PATH}) << path;
  return std::string(buffer, length > 0 && length < MAX_PATH ? length : 0);
}

class InstallIndexFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.MakeDirectory("C:\\DUDERUR");
    prefix_.MakeDirectory(kDestination);
  }

  // The line the CD's own installer writes for the installation above, with `ending`.
  static std::string CdLine(const std::string& ending = "\r\n") {
    return std::string(kName) + "\t" + kDescription + "\t" + ShortPath(kDestination) + "\tCDROM" +
           ending;
  }

  // Records the installation over an index holding `before`; what the index holds afterwards.
  std::string AfterRecording(const std::string& before) {
    prefix_.WriteFile(kInstallIndexPath, before);
    EXPECT_TRUE(RecordInstallation(kName, kDescription, kDestination)) << before;
    EXPECT_EQ(TakeIoResult(), 0);
    return prefix_.ReadFile(kInstallIndexPath);
  }

  ScratchPrefix prefix_;
};

}  // namespace cdinst::testing
