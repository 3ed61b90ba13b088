// Share modes between opens of one file, as Windows enforces them.
#include <gtest/gtest.h>

#include <string>

#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = R | W;
constexpr DWORD kShareRead = FILE_SHARE_READ, kShareWrite = FILE_SHARE_WRITE;
constexpr DWORD kShareBoth = kShareRead | kShareWrite;
constexpr DWORD kOpened = ~DWORD{0};

class ShareModesTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteFile(kFile, "content"); }

  static constexpr const char* kFile = "C:\\data\\index.cd";
  ScratchPrefix prefix_;
};

TEST_F(ShareModesTest, SecondOpenNeedsTheFirstsShareAndMustShareTheFirstsAccess) {
  struct Case {
    DWORD firstAccess, firstShare, secondAccess, secondShare, expected;
  };
  const Case cases[] = {
      {R, kShareRead, R, kShareRead, kOpened},
      {R, kShareRead, R, kShareBoth, kOpened},
      {R, kShareRead, W, kShareBoth, 32},
      {R, kShareRead, RW, kShareRead, 32},
      {R, kShareRead, R, 0, 32},
      {R, kShareRead, R, kShareWrite, 32},
      {R, kShareBoth, W, kShareBoth, kOpened},
      {W, 0, R, kShareBoth, 32},
      {W, kShareRead, R, kShareBoth, kOpened},
      {W, kShareRead, R, kShareRead, 32},
      {W, kShareWrite, W, kShareWrite, kOpened},
      {W, kShareWrite, R, kShareBoth, 32},
      {RW, kShareRead, R, kShareRead, 32},
      {RW, kShareBoth, RW, kShareBoth, kOpened},
      {0, 0, RW, 0, kOpened},
      {RW, 0, 0, 0, kOpened},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("first " + std::to_string(c.firstAccess) + "/" + std::to_string(c.firstShare) +
                 ", second " + std::to_string(c.secondAccess) + "/" +
                 std::to_string(c.secondShare));
    ScopedHandle first(OpenForTest(kFile, c.firstAccess, c.firstShare));
    ASSERT_TRUE(first.Valid());
    EXPECT_EQ(OpenError(kFile, c.secondAccess, c.secondShare), c.expected);
  }
}

TEST_F(ShareModesTest, RefusalIsImmediateAndEndsWhenTheHolderCloses) {
  ScopedHandle holder(OpenForTest(kFile, RW, kShareRead));
  ASSERT_TRUE(holder.Valid());
  EXPECT_EQ(OpenError(kFile, R, kShareRead), DWORD{32});
  EXPECT_EQ(OpenError(kFile, RW, kShareRead), DWORD{32});
  holder.Close();
  EXPECT_EQ(OpenError(kFile, RW, kShareRead), kOpened);
}

TEST_F(ShareModesTest, OverwritingNeedsTheHoldersWriteShare) {
  ScopedHandle reader(OpenForTest(kFile, R, kShareRead));
  ASSERT_TRUE(reader.Valid());
  EXPECT_EQ(OpenError(kFile, W, kShareRead, CREATE_ALWAYS), DWORD{32});
  EXPECT_EQ(OpenError(kFile, W, kShareBoth, TRUNCATE_EXISTING), DWORD{32});
  reader.Close();
  EXPECT_EQ(prefix_.ReadFile(kFile), "content");

  ScopedHandle sharing(OpenForTest(kFile, R, kShareBoth));
  ASSERT_TRUE(sharing.Valid());
  ScopedHandle overwriter(OpenForTest(kFile, W, kShareBoth, CREATE_ALWAYS));
  EXPECT_TRUE(overwriter.Valid());
  EXPECT_EQ(GetLastError(), DWORD{183});
  overwriter.Close();
  EXPECT_EQ(prefix_.ReadFile(kFile), "");
}

TEST_F(ShareModesTest, RefusedOpenLeavesNoTraceForLaterOpens) {
  ScopedHandle reader(OpenForTest(kFile, R, kShareRead));
  ASSERT_TRUE(reader.Valid());
  EXPECT_EQ(OpenError(kFile, R, 0), DWORD{32});  // would deny the reader; must not stay
  reader.Close();
  ScopedHandle writer(OpenForTest(kFile, W, kShareBoth));
  EXPECT_TRUE(writer.Valid());
}

TEST_F(ShareModesTest, NewFileHoldsItsCreatorsShareModeFromTheStart) {
  struct Case {
    DWORD access, share, secondAccess, secondShare, expected;
  };
  const Case cases[] = {
      {W, 0, R, kShareBoth, 32},          {W, kShareRead, R, kShareBoth, kOpened},
      {W, kShareRead, W, kShareBoth, 32}, {RW, kShareBoth, RW, kShareBoth, kOpened},
      {R, kShareRead, W, kShareBoth, 32},
  };
  int made = 0;
  for (const Case& c : cases) {
    const std::string fresh = "C:\\data\\fresh" + std::to_string(++made) + ".cd";
    SCOPED_TRACE(fresh);
    ScopedHandle creator(OpenForTest(fresh, c.access, c.share, CREATE_NEW));
    ASSERT_TRUE(creator.Valid());
    EXPECT_EQ(OpenError(fresh, c.secondAccess, c.secondShare), c.expected);
  }
}

}  // namespace
}  // namespace cdinst::testing
