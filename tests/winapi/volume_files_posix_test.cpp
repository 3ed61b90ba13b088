// The label and serial number a drive gets from Wine's files at its root, which only a
// Wine-style prefix has.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

void WriteUnix(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string LabelOf(const char* root) {
  char label[MAX_PATH + 1] = "unset";
  if (!GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0)) {
    return "failed " + std::to_string(GetLastError());
  }
  return label;
}

DWORD SerialOf(const char* root) {
  DWORD serial = 0;
  EXPECT_TRUE(GetVolumeInformationA(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
  return serial;
}

TEST(VolumeFilesTest, LabelIsTheFileTextInWindows1252WithoutTrailingBlanksAndLineEnds) {
  ScratchPrefix prefix;
  const std::string root = prefix.Unix("D:\\");
  const struct {
    std::string file;
    std::string label;  // Windows-1252
  } cases[] = {
      {"VORTANE\n", "VORTANE"},
      {"Cole\xC3\xA7\xC3\xA3o 2 \r\n \n", "Cole\xE7\xE3o 2"},
      {"  inner  blanks\tstay\t", "  inner  blanks\tstay\t"},
      {"\xE6\x97\xA5", "?"},
      {"\n\n", ""},
      {std::string(300, 'L'), std::string(256, 'L')},
  };
  for (const auto& c : cases) {
    WriteUnix(root + "/.windows-label", c.file);
    EXPECT_EQ(c.label, LabelOf("D:\\")) << c.file;
  }
  EXPECT_EQ("", LabelOf("C:\\"));
}

TEST(VolumeFilesTest, LabelNeedsABufferThatHoldsIt) {
  ScratchPrefix prefix;
  WriteUnix(prefix.Unix("D:\\") + "/.windows-label", "DISCO\n");
  char label[5];
  EXPECT_FALSE(
      GetVolumeInformationA("D:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
}

TEST(VolumeFilesTest, SerialIsTheFileReadAsHexadecimalText) {
  ScratchPrefix prefix;
  const std::string root = prefix.Unix("D:\\");
  const DWORD withoutFile = SerialOf("D:\\");
  const struct {
    std::string file;
    DWORD serial;
  } cases[] = {
      {"1234abcd\n", 0x1234ABCD},
      {"0xDEADBEEF", 0xDEADBEEF},
      {"  7f", 0x7F},
      {"12zz", 0x12},
      {"nothing", 0},
      {"123456789", 0x23456789},
  };
  for (const auto& c : cases) {
    WriteUnix(root + "/.windows-serial", c.file);
    EXPECT_EQ(c.serial, SerialOf("D:\\")) << c.file;
  }
  std::filesystem::remove(root + "/.windows-serial");
  EXPECT_EQ(withoutFile, SerialOf("D:\\"));
}

}  // namespace
}  // namespace cdinst::testing
