#include "install/block_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "copy_checks.h"
#include "scratch_prefix.h"

namespace cdinst {
namespace {

using testing::Pattern;
using testing::Unheld;

class BlockCopyTest : public ::testing::Test {
 protected:
  // Copies and checks afterwards that neither file is still held open.
  bool Copy(const std::string& source, const std::string& destination) {
    const bool copied = CopyFileBlocks(source, destination);
    EXPECT_TRUE(Unheld(source)) << source;
    EXPECT_TRUE(Unheld(destination)) << destination;
    return copied;
  }

  testing::ScratchPrefix prefix_;
};

TEST_F(BlockCopyTest, CopiesBlocksAndTailByteForByte) {
  for (const size_t size : {0, 700, 1024, 5000}) {
    SCOPED_TRACE(size);
    const std::string content = Pattern(size);
    const std::string destination = "C:\\COPY" + std::to_string(size) + ".BIN";
    prefix_.WriteFile("D:\\SOURCE.BIN", content);
    EXPECT_TRUE(Copy("D:\\SOURCE.BIN", destination));
    EXPECT_TRUE(prefix_.ReadFile(destination) == content);
  }
}

TEST_F(BlockCopyTest, LongerDestinationEndsWithTheSourceSize) {
  prefix_.WriteFile("D:\\SOURCE.BIN", Pattern(700));
  prefix_.WriteFile("C:\\COPY.BIN", std::string(5000, 'x'));
  EXPECT_TRUE(Copy("D:\\SOURCE.BIN", "C:\\COPY.BIN"));
  EXPECT_TRUE(prefix_.ReadFile("C:\\COPY.BIN") == Pattern(700));
}

TEST_F(BlockCopyTest, MissingSourceCreatesNoDestination) {
  prefix_.WriteFile("C:\\KEPT.BIN", "kept");
  EXPECT_FALSE(Copy("D:\\MISSING.BIN", "C:\\COPY.BIN"));
  EXPECT_FALSE(Copy("D:\\MISSING.BIN", "C:\\KEPT.BIN"));
  EXPECT_FALSE(prefix_.Exists("C:\\COPY.BIN"));
  EXPECT_EQ(prefix_.ReadFile("C:\\KEPT.BIN"), "kept");
}

TEST_F(BlockCopyTest, UncreatableDestinationFailsWithTheSourceClosed) {
  prefix_.WriteFile("D:\\SOURCE.BIN", Pattern(700));
  prefix_.WriteFile("C:\\LOCKED.BIN", "old");
  prefix_.SetReadOnly("C:\\LOCKED.BIN", true);
  EXPECT_FALSE(Copy("D:\\SOURCE.BIN", "C:\\NONE\\COPY.BIN"));
  EXPECT_FALSE(Copy("D:\\SOURCE.BIN", "C:\\LOCKED.BIN"));
  EXPECT_FALSE(prefix_.Exists("C:\\NONE"));
  EXPECT_EQ(prefix_.ReadFile("C:\\LOCKED.BIN"), "old");
}

// Creating the destination would cut the source to nothing before it is read.
TEST_F(BlockCopyTest, DestinationThatIsTheSourceIsLeftWhole) {
  const std::string content = Pattern(5000);
  prefix_.WriteFile("D:\\A\\X.TXT", content);
  prefix_.MapDrive('E', prefix_.Directory() + "/medium");
  for (const char* same : {"D:\\A\\X.TXT", "d:\\a\\x.txt", "E:\\A\\X.TXT", "d:\\A\\..\\a\\X.txt"}) {
    SCOPED_TRACE(same);
    EXPECT_TRUE(Copy("D:\\A\\X.TXT", same));
    EXPECT_TRUE(prefix_.ReadFile("D:\\A\\X.TXT") == content);
  }
}

TEST_F(BlockCopyTest, PathsOfMoreThan255CharactersAreRefused) {
  const std::string directory = "C:\\" + std::string(120, 'L') + "\\";  // 124 characters
  const std::string longest = directory + std::string(131, 'N');        // 255
  const std::string tooLong = directory + std::string(132, 'N');        // 256
  ASSERT_EQ(longest.size(), 255u);
  prefix_.WriteFile("D:\\SOURCE.BIN", Pattern(700));
  prefix_.MakeDirectory(directory);
  EXPECT_TRUE(Copy("D:\\SOURCE.BIN", longest));
  EXPECT_FALSE(Copy("D:\\SOURCE.BIN", tooLong));
  EXPECT_FALSE(prefix_.Exists(tooLong));

  prefix_.WriteFile(tooLong, Pattern(700));
  EXPECT_FALSE(Copy(tooLong, "C:\\COPY.BIN"));
  EXPECT_FALSE(prefix_.Exists("C:\\COPY.BIN"));
}

}  // namespace
}  // namespace cdinst
