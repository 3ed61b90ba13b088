// The registry read from a prefix's system.reg: Wine's text format and how the emulation finds
// keys in it. Only the emulation has such a file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>

#include "opened_key.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

using namespace std::string_literals;

constexpr const char* kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

class RegistryFileTest : public ::testing::Test {
 protected:
  void WriteSystemReg(std::string_view keys) const {
    std::ofstream(prefix_.PrefixDirectory() + "/system.reg", std::ios::binary) << kHeader << keys;
  }

  ScratchPrefix prefix_;
};

TEST_F(RegistryFileTest, StringEscapesBecomeWindows1252) {
  WriteSystemReg(R"reg(
[Software\\Vendor] 1733560000
#time=1db48a0c3e5f4a2
"Escapes"="a\\b\"c\td\ne"
"Hex"="\xe7|\x00e7A|\x20ac1|\x3b1"
"Octal"="\1|\101|\0011"
"Unknown"="\q\x"
)reg");
  OpenedKey key("Software\\Vendor", KEY_READ);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  EXPECT_EQ(key.Text("Escapes"), "a\\b\"c\td\ne");
  // Four digits at most; a character with no Windows-1252 form (alpha) becomes '?'.
  EXPECT_EQ(key.Text("Hex"), "\xE7|\xE7"s + "A|\x80" + "1|?");
  EXPECT_EQ(key.Text("Octal"),
            "\x01|A|\x01"
            "1");
  EXPECT_EQ(key.Text("Unknown"), "qx");
}

TEST_F(RegistryFileTest, EveryDataForm) {
  WriteSystemReg(R"reg(
[Software\\Vendor] 1733560000
@="default"
"Dword"=dword:0000102a
"Binary"=hex:01,02,\
  ff
"Expand"=hex(2):25,00,41,00,25,00,\
  00,00
"Multi"=str(7):"a\0b\0"
"Plain"=str:"plain"
"Custom"=hex(100000):7f
"Empty"=hex:
)reg");
  OpenedKey key("Software\\Vendor", KEY_READ);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  EXPECT_EQ(key.Text(nullptr, &type), "default");
  EXPECT_EQ(key.Text(""), "default");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(key.Data("Dword", &type), "\x2a\x10\0\0"s);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(key.Data("Binary", &type), "\x01\x02\xff");
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(key.Data("Expand", &type), "%A%\0"s);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(key.Data("Multi", &type), "a\0b\0\0"s);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(key.Text("Plain", &type), "plain");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(key.Data("Custom", &type), "\x7f");
  EXPECT_EQ(type, 0x100000u);
  EXPECT_EQ(key.Data("Empty", &type), "");
}

TEST_F(RegistryFileTest, KeyNamesAreEscapedAndFoldedBeyondAscii) {
  WriteSystemReg(R"reg(
[Software\\Caf\xe9\\Menu] 1733560000
"Name"="found"
)reg");
  OpenedKey key("SOFTWARE\\CAF\xC9\\menu", KEY_READ);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  EXPECT_EQ(key.Text("NAME"), "found");
}

TEST_F(RegistryFileTest, ParentsExistWithoutLinesOfTheirOwn) {
  WriteSystemReg(R"reg(
[Software\\VendorX] 1733560000
"Name"="x"

[Software\\Vendor\\App] 1733560000

[Software\\Vendor\\App\\Sub] 1733560000
"Name"="sub"
)reg");
  OpenedKey vendor("Software\\Vendor", KEY_READ);
  ASSERT_EQ(vendor.Status(), ERROR_SUCCESS);
  OpenedKey app("App", KEY_READ, vendor.Get());
  ASSERT_EQ(app.Status(), ERROR_SUCCESS);
  // A key's values end at the next key line.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(app.Get(), "Name", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenedKey("Sub", KEY_READ, app.Get()).Text("Name"), "sub");
  EXPECT_EQ(OpenedKey("Software\\Vendo", KEY_READ).Status(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryFileTest, Wow64ViewOnlyWhereThePrefixHasOne) {
  WriteSystemReg(R"reg(
[Software\\Vendor] 1733560000
"Bits"="64"
)reg");
  EXPECT_EQ(OpenedKey("Software\\Vendor", KEY_READ).Text("Bits"), "64");

  WriteSystemReg(R"reg(
[Software\\Vendor] 1733560000
"Bits"="64"

[Software\\Wow6432Node\\Vendor] 1733560000
"Bits"="32"
)reg");
  EXPECT_EQ(OpenedKey("Software\\Vendor", KEY_READ).Text("Bits"), "32");
  EXPECT_EQ(OpenedKey("Software\\Wow6432Node\\Vendor", KEY_READ).Text("Bits"), "32");
  OpenedKey software("Software", KEY_READ);
  ASSERT_EQ(software.Status(), ERROR_SUCCESS);
  EXPECT_EQ(OpenedKey("Vendor", KEY_READ, software.Get()).Text("Bits"), "32");
}

TEST_F(RegistryFileTest, ProgramsFullAccessOpenSucceeds) {
  WriteSystemReg(R"reg(
[Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion] 1733560000
"ProgramFilesDir"="C:\\Program Files (x86)"
)reg");
  OpenedKey key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_ALL_ACCESS);
  ASSERT_EQ(key.Status(), ERROR_SUCCESS);
  EXPECT_EQ(key.Text("ProgramFilesDir"), "C:\\Program Files (x86)");
}

TEST_F(RegistryFileTest, MissingFileOtherRootsAndStaleHandlesFail) {
  EXPECT_EQ(OpenedKey("Software", KEY_READ).Status(), ERROR_FILE_NOT_FOUND);
  WriteSystemReg(R"reg(
[Software\\Vendor] 1733560000
"Name"="x"
)reg");
  EXPECT_EQ(OpenedKey("Software", KEY_READ, HKEY_CURRENT_USER).Status(), ERROR_FILE_NOT_FOUND);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Vendor", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace cdinst::testing
