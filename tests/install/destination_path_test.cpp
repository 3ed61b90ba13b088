#include "install/destination_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "scratch_prefix.h"

namespace cdinst {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

class DestinationPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.MapDrive('E');
    prefix_.MakeDirectory("D:\\MEDIA");
    ChangeDirectory("D:\\MEDIA");
  }

  // Everything below `root`, as relative Unix paths in sorted order.
  Names Below(const fs::path& root) const {
    Names found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      found.push_back(entry.path().lexically_relative(root).generic_string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  Names DriveE() const { return Below(prefix_.Unix("E:")); }

  testing::ScratchPrefix prefix_;
};

TEST_F(DestinationPathTest, ExistingLevelsAreLeftAlone) {
  prefix_.MakeDirectory("E:\\AP\\PROG");
  ChangeDirectory("E:\\AP");
  EXPECT_TRUE(CreateDestinationPath("E:\\AP\\PROG\\", "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), (Names{"AP", "AP/PROG"}));
  EXPECT_EQ(CurrentDirectory(), "D:\\MEDIA");
}

// With E:\OTHER current, "E:" would be E:\OTHER: the first level must still land in the root.
TEST_F(DestinationPathTest, MissingLevelsAreCreatedEachInItsParent) {
  prefix_.MakeDirectory("E:\\OTHER");
  ChangeDirectory("E:\\OTHER");
  EXPECT_TRUE(CreateDestinationPath("E:\\NEW\\PROG\\SUB\\", "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), (Names{"NEW", "NEW/PROG", "NEW/PROG/SUB", "OTHER"}));
  EXPECT_EQ(CurrentDirectory(), "D:\\MEDIA");
}

TEST_F(DestinationPathTest, DriveRootCreatesNothing) {
  EXPECT_TRUE(CreateDestinationPath("E:\\", "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), Names{});
  EXPECT_FALSE(CreateDestinationPath("Q:\\", "D:\\MEDIA\\"));  // not mapped
}

// A failed change into the blocked level must not create the next level in the directory that
// happens to be current.
TEST_F(DestinationPathTest, FileInTheWayBlocksItsLevelAndEverythingBelow) {
  prefix_.WriteFile("E:\\X\\AP", "a file");
  EXPECT_FALSE(CreateDestinationPath("E:\\X\\AP\\PROG\\SUB\\", "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), (Names{"X", "X/AP"}));
  EXPECT_EQ(prefix_.ReadFile("E:\\X\\AP"), "a file");
  EXPECT_EQ(CurrentDirectory(), "D:\\MEDIA");
}

TEST_F(DestinationPathTest, DoubledBackslashIsPassedOver) {
  EXPECT_TRUE(CreateDestinationPath("E:\\NEW\\\\PROG\\", "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), (Names{"NEW", "NEW/PROG"}));
}

TEST_F(DestinationPathTest, TextAfterTheLastBackslashIsNeverCreated) {
  EXPECT_FALSE(CreateDestinationPath("E:\\NEW\\FOO", "D:\\MEDIA\\"));
  EXPECT_FALSE(CreateDestinationPath("E:\\BAR", "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), Names{"NEW"});
  prefix_.MakeDirectory("E:\\NEW\\FOO");
  EXPECT_TRUE(CreateDestinationPath("E:\\NEW\\FOO", "D:\\MEDIA\\"));
}

// For the root D:\ the change goes to the bare D:, drive D's own current directory: D:\MEDIA
// while D: is the current drive, the root when another drive is current.
TEST_F(DestinationPathTest, EndsInTheSourceRootWithoutItsLastCharacter) {
  prefix_.MakeDirectory("E:\\AP");
  EXPECT_TRUE(CreateDestinationPath("E:\\AP\\", "D:\\"));
  EXPECT_EQ(CurrentDirectory(), "D:\\MEDIA");

  EXPECT_TRUE(CreateDestinationPath("E:\\AP\\PROG\\", "D:\\"));
  EXPECT_EQ(CurrentDirectory(), "D:\\");

  EXPECT_TRUE(CreateDestinationPath("E:\\NEW\\PROG\\", "Q:\\"));  // unmapped: stays put
  EXPECT_EQ(CurrentDirectory(), "E:\\NEW");
}

// A share is the root of its path: nothing is tested or made above it, and nothing at the root
// of the current drive, where "\\" and "\\servidor" would otherwise lead.
TEST_F(DestinationPathTest, ShareIsTheRootOfItsPath) {
  const fs::path share = prefix_.PrefixDirectory() + "/dosdevices/unc/servidor/pasta";
  fs::create_directories(share);
  EXPECT_TRUE(CreateDestinationPath("\\\\servidor\\pasta\\NOVO\\SUB\\", "D:\\MEDIA\\"));
  EXPECT_EQ(Below(share), (Names{"NOVO", "NOVO/SUB"}));
  EXPECT_TRUE(CreateDestinationPath("\\\\servidor\\pasta\\", "D:\\MEDIA\\"));
  for (const char* missing : {"\\\\servidor\\outra\\NOVO\\", "\\\\outro\\pasta\\NOVO\\",
                              "\\\\servidor\\", "\\\\servidor\\\\NOVO\\", "\\\\\\NOVO\\"}) {
    EXPECT_FALSE(CreateDestinationPath(missing, "D:\\MEDIA\\")) << missing;
  }
  EXPECT_EQ(Below(prefix_.Unix("D:\\")), Names{"MEDIA"});
  EXPECT_EQ(
      Below(prefix_.PrefixDirectory() + "/dosdevices/unc"),
      (Names{"servidor", "servidor/pasta", "servidor/pasta/NOVO", "servidor/pasta/NOVO/SUB"}));
}

TEST_F(DestinationPathTest, PathsOfMoreThan255CharactersCreateNothing) {
  std::string longest = "E:\\";
  while (longest.size() < 255) longest += "LL\\";
  const std::string tooLong = longest.substr(0, 252) + "LLL\\";
  ASSERT_EQ(longest.size(), 255u);
  ASSERT_EQ(tooLong.size(), 256u);
  EXPECT_FALSE(CreateDestinationPath(tooLong, "D:\\MEDIA\\"));
  EXPECT_EQ(DriveE(), Names{});
  EXPECT_TRUE(CreateDestinationPath(longest, "D:\\MEDIA\\"));
  EXPECT_TRUE(DirectoryIsPresent(longest));
}

}  // namespace
}  // namespace cdinst
