// How the emulation lays Windows names over a Wine-style prefix: drive links and their
// fallbacks, network shares, and Unix names that Windows could not have made.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "scoped_environment.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

class WinePrefixTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SetCurrentDirectoryA("C:\\")); }

  std::string Dosdevices() const { return prefix_.PrefixDirectory() + "/dosdevices"; }

  static void Touch(const std::string& unixPath, const std::string& bytes = "") {
    std::ofstream(unixPath, std::ios::binary) << bytes;
  }

  // The Windows path of a Unix path seen through Z:.
  static std::string OnDriveZ(std::string unixPath) {
    for (char& c : unixPath) {
      if (c == '/') c = '\\';
    }
    return "Z:" + unixPath;
  }

  ScratchPrefix prefix_;
};

TEST_F(WinePrefixTest, DriveCFallsBackToDriveCWithoutItsLink) {
  fs::remove(Dosdevices() + "/c:");
  Touch(prefix_.PrefixDirectory() + "/drive_c/boot.ini");
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\boot.ini"));
}

TEST_F(WinePrefixTest, DriveZIsTheUnixRootUnlessLinkedElsewhere) {
  Touch(prefix_.Directory() + "/marker");
  EXPECT_EQ(0x20u, GetFileAttributesA(OnDriveZ(prefix_.Directory() + "/marker").c_str()));
  prefix_.MapDrive('Z', prefix_.Directory() + "/medium");
  Touch(prefix_.Directory() + "/medium/inside");
  EXPECT_EQ(0x20u, GetFileAttributesA("Z:\\inside"));
}

TEST_F(WinePrefixTest, OtherLettersNeedALinkThatLeadsToADirectory) {
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError("E:\\"));
  fs::create_directory_symlink(prefix_.Directory() + "/nowhere", Dosdevices() + "/e:");
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError("E:\\"));
}

TEST_F(WinePrefixTest, SharesLiveUnderDosdevicesUnc) {
  fs::create_directories(Dosdevices() + "/unc/Server/Share/Dados");
  EXPECT_EQ(0x10u, GetFileAttributesA("\\\\server\\share\\dados"));
  ASSERT_TRUE(SetCurrentDirectoryA("\\\\SERVER\\Share\\"));
  EXPECT_EQ("\\\\SERVER\\Share", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("DADOS"));
  EXPECT_EQ("\\\\SERVER\\Share\\DADOS", CurrentDirectoryText());
  EXPECT_EQ((std::vector<std::string>{"Dados"}), Search("\\\\server\\share\\*").Names());
  EXPECT_FALSE(GetVolumeInformationA("\\\\server\\share\\", nullptr, 0, nullptr, nullptr, nullptr,
                                     nullptr, 0));
  EXPECT_EQ(ERROR_DIR_NOT_ROOT, GetLastError());
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError("\\\\other\\share\\x"));
}

// Two Unix names may differ only in case: the exact spelling wins, else the lowest name.
TEST_F(WinePrefixTest, ExactSpellingFirstThenLowestUnixName) {
  prefix_.WriteFile("C:\\readme.txt", "lower");
  prefix_.WriteFile("C:\\README.TXT", "UPPER!");
  EXPECT_EQ(5u, Search("C:\\readme.txt").entries.at(0).nFileSizeLow);
  EXPECT_EQ(6u, Search("C:\\README.TXT").entries.at(0).nFileSizeLow);
  EXPECT_STREQ("README.TXT", Search("C:\\Readme.Txt").entries.at(0).cFileName);
  EXPECT_EQ((std::vector<std::string>{"README.TXT", "readme.txt"}), Search("C:\\*.txt").Names());
}

TEST_F(WinePrefixTest, NamesThatAreNotUtf8AreTakenByteForByte) {
  Touch(prefix_.PrefixDirectory() + "/drive_c/caf\xE9");
  EXPECT_EQ((std::vector<std::string>{"caf\xE9"}), Search("C:\\caf*").Names());
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\CAF\xC9"));
}

TEST_F(WinePrefixTest, CharactersWithoutAWindows1252FormShowAsQuestionMarks) {
  Touch(prefix_.PrefixDirectory() + "/drive_c/\xD0\x96\xE2\x82\xAC.txt");  // Zhe and euro
  EXPECT_EQ((std::vector<std::string>{"?\x80.txt"}), Search("C:\\*.txt").Names());
}

TEST_F(WinePrefixTest, DanglingLinksAreNotListed) {
  fs::create_directories(prefix_.PrefixDirectory() + "/drive_c/t");
  Touch(prefix_.PrefixDirectory() + "/drive_c/t/real");
  fs::create_symlink("/nonexistent/target", prefix_.PrefixDirectory() + "/drive_c/t/dangling");
  EXPECT_EQ((std::vector<std::string>{".", "..", "real"}), Search("C:\\t\\*").Names());
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Search("C:\\t\\dangling").error);
}

TEST_F(WinePrefixTest, ReadOnlyIsTheWriteBits) {
  const std::string file = prefix_.PrefixDirectory() + "/drive_c/file";
  Touch(file);
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write, fs::perm_options::add);
  ASSERT_TRUE(SetFileAttributesA("C:\\file", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(fs::perms::none,
            fs::status(file).permissions() &
                (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
  ASSERT_TRUE(SetFileAttributesA("C:\\file", FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(fs::perms::none, fs::status(file).permissions() & fs::perms::owner_write);
}

// Wine's form, which Samba shares: "0x" and hex digits, sometimes with a NUL after them; only
// HIDDEN and SYSTEM count.
TEST_F(WinePrefixTest, HiddenAndSystemAreKeptAsWineKeepsThem) {
  const std::string file = prefix_.PrefixDirectory() + "/drive_c/file";
  Touch(file);
  const struct {
    std::string stored;
    DWORD attributes;
  } cases[] = {{"0x2", 0x22},  {std::string("0x6", 4), 0x26},
               {"0x25", 0x24}, {"0x12", 0x22},
               {"0X2", 0x20},  {"2", 0x20},
               {"0x", 0x20},   {"0x2z", 0x20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ASSERT_EQ(0, setxattr(file.c_str(), "user.DOSATTRIB", c.stored.data(), c.stored.size(), 0));
    EXPECT_EQ(c.attributes, GetFileAttributesA("C:\\file"));
  }
  char stored[16] = {};
  ASSERT_TRUE(SetFileAttributesA("C:\\file", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(3, getxattr(file.c_str(), "user.DOSATTRIB", stored, sizeof stored));
  EXPECT_STREQ("0x6", stored);
  ASSERT_TRUE(SetFileAttributesA("C:\\file", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(-1, getxattr(file.c_str(), "user.DOSATTRIB", stored, sizeof stored));
}

// Any other shape stores nothing, whatever digits it holds: the file is then neither hidden nor
// system, in a search as in its attributes. Samba's form counts by its text.
TEST_F(WinePrefixTest, OnlyWinesAndSambasFormsOfStoredAttributesCount) {
  const std::string file = prefix_.PrefixDirectory() + "/drive_c/file";
  Touch(file);
  // The text, a NUL, then version, flags, attributes, sizes and times in binary.
  const std::string samba =
      std::string("0x26\0\4\0\4\0\x1f\0\0\0\x26\0\0\0", 17) + std::string(40, '\0');
  const struct {
    std::string stored;
    DWORD attributes;
  } cases[] = {{"0x2", 0x22},
               {"0x00000004", 0x24},
               {samba, 0x26},
               {"0x-2", 0x20},
               {"0x 2", 0x20},
               {"0x+2", 0x20},
               {"0x0x2", 0x20},
               {"", 0x20},
               {"0x100000002", 0x20},
               {"0x000000002", 0x20},
               {"0x" + std::string(300, '2'), 0x20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.substr(0, 12));
    ASSERT_EQ(0, setxattr(file.c_str(), "user.DOSATTRIB", c.stored.data(), c.stored.size(), 0));
    EXPECT_EQ(c.attributes, GetFileAttributesA("C:\\file"));
    EXPECT_EQ(c.attributes, Search("C:\\file").entries.at(0).dwFileAttributes);
  }
}

// CDINST_DRIVE_<X> maps a drive for one run ahead of dosdevices, leaving the prefix as it is.
TEST_F(WinePrefixTest, DriveVariableComesBeforeDosdevices) {
  ScopedEnvironment environment;
  const std::string run = prefix_.Directory() + "/run";
  fs::create_directories(run + "/Dados");
  Touch(prefix_.Unix("D:\\") + "/only-in-prefix");
  const struct {
    const char* variable;
    std::optional<std::string> value;
    const char* path;
    DWORD attributes;  // INVALID_FILE_ATTRIBUTES when not found
  } cases[] = {
      {"CDINST_DRIVE_D", run, "d:\\DADOS", 0x10},
      {"CDINST_DRIVE_D", run, "D:\\only-in-prefix", INVALID_FILE_ATTRIBUTES},
      {"CDINST_DRIVE_D", "", "D:\\only-in-prefix", 0x20},
      {"CDINST_DRIVE_E", run, "E:\\Dados", 0x10},
      {"CDINST_DRIVE_E", run + "/missing", "E:\\", INVALID_FILE_ATTRIBUTES},
      {"CDINST_DRIVE_e", run, "E:\\Dados", INVALID_FILE_ATTRIBUTES},
  };
  for (const auto& c : cases) {
    environment.Set(c.variable, c.value);
    EXPECT_EQ(c.attributes, GetFileAttributesA(c.path)) << c.variable << " " << c.path;
    environment.Set(c.variable, std::nullopt);
  }
  EXPECT_FALSE(fs::exists(Dosdevices() + "/e:"));
  environment.Set("CDINST_DRIVE_D", run);
  ASSERT_TRUE(SetCurrentDirectoryA("D:\\dados"));
  EXPECT_EQ("D:\\dados", CurrentDirectoryText());
}

}  // namespace
}  // namespace cdinst::testing
