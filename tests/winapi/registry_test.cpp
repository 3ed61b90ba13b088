// The registry as a 32-bit program sees it on a 64-bit system. Where there is no registry, the
// prefix gets a system.reg holding what a 64-bit Windows holds under the keys read here.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "opened_key.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

constexpr const char kSystemReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1733560000\n"
    "#time=1db48a0c3e5f4a2\n"
    "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
    "\"ProgramFilesPath\"=str(2):\"%ProgramFiles%\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1733560000\n"
    "#time=1db48a0c3e5f4a2\n"
    "\"CommonFilesDir\"=\"C:\\\\Program Files (x86)\\\\Common Files\"\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"\n"
    "\"ProgramFilesPath\"=str(2):\"%ProgramFiles%\"\n";

class RegistryTest : public ::testing::Test {
 protected:
  // Only an emulated system reads this file; Windows keeps its own registry.
  void WriteSystemReg() const {
    std::ofstream(prefix_.PrefixDirectory() + "/system.reg", std::ios::binary) << kSystemReg;
  }

  ScratchPrefix prefix_;
};

TEST_F(RegistryTest, ThirtyTwoBitProgramReadsTheWow64View) {
  WriteSystemReg();
  OpenedKey key(kCurrentVersion, KEY_READ);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  EXPECT_EQ(key.Text("ProgramFilesDir", &type), "C:\\Program Files (x86)");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  OpenedKey native(kCurrentVersion, KEY_READ | KEY_WOW64_64KEY);
  ASSERT_EQ(native.Status(), ERROR_SUCCESS);
  EXPECT_EQ(native.Text("ProgramFilesDir"), "C:\\Program Files");
}

TEST_F(RegistryTest, ExpandableStringsComeBackAsStored) {
  WriteSystemReg();
  OpenedKey native(kCurrentVersion, KEY_READ | KEY_WOW64_64KEY);
  ASSERT_EQ(native.Status(), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  EXPECT_EQ(native.Text("ProgramFilesPath", &type), "%ProgramFiles%");
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreLetterCaseAndATrailingBackslash) {
  WriteSystemReg();
  OpenedKey key("software\\MICROSOFT\\windows\\CurrentVersion\\", KEY_READ);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  EXPECT_EQ(key.Text("PROGRAMFILESDIR"), "C:\\Program Files (x86)");
}

TEST_F(RegistryTest, SizeQueryAndTooSmallBuffer) {
  WriteSystemReg();
  OpenedKey key(kCurrentVersion, KEY_QUERY_VALUE);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  DWORD type = REG_NONE, size = 0;
  ASSERT_EQ(RegQueryValueExA(key.Get(), "ProgramFilesDir", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 23u);  // "C:\Program Files (x86)" and its NUL
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  BYTE small[10];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key.Get(), "ProgramFilesDir", nullptr, &type, small, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 23u);

  BYTE exact[23];
  size = sizeof exact;
  ASSERT_EQ(RegQueryValueExA(key.Get(), "ProgramFilesDir", nullptr, nullptr, exact, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 23u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(exact), 23),
            std::string("C:\\Program Files (x86)", 23));
}

TEST_F(RegistryTest, MissingKeyOrValueIsError2) {
  WriteSystemReg();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\NoSuchKey", 0,
                          KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  OpenedKey opened(kCurrentVersion, KEY_READ);
  ASSERT_EQ(opened.Status(), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(opened.Get(), "NoSuchValue", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace cdinst::testing
