// Read errors of the index's line reading, provoked through the emulation's fault knob.
#include <gtest/gtest.h>

#include <string>

#include "install/index_file.h"
#include "platform/io_error.h"
#include "scratch_prefix.h"
#include "winapi/posix/files/fault_injection.h"

namespace cdinst {
namespace {

constexpr char kFile[] = "C:\\DUDERUR\\INDICE2.CD";
// Reads fail with 23, the CRC error a bad sector gives.

class IndexFileReadErrorTest : public ::testing::Test {
 protected:
  void SetUp() override { posix::ResetFaults(); }
  void TearDown() override { posix::ResetFaults(); }

  testing::ScratchPrefix prefix_;
};

TEST_F(IndexFileReadErrorTest, ErrorEndsTheTextAndIsPending) {
  prefix_.WriteFile(kFile, "a\r\nb\r\n");
  IndexFile file(kFile, IndexOpenMode::kScan);
  posix::ArmFaults("read:1:23");
  EXPECT_EQ(file.ReadLine(), "");
  EXPECT_EQ(TakeIoResult(), 23);
  EXPECT_TRUE(file.EndOfText());
  EXPECT_EQ(file.ReadLine(), "");
  EXPECT_EQ(TakeIoResult(), 0);  // the text has ended; nothing is read again
}

TEST_F(IndexFileReadErrorTest, LineCutShortIsDroppedAndLinesBeforeItStay) {
  const std::string longLine(10000, 'x');
  prefix_.WriteFile(kFile, "first\r\n" + longLine + "\r\nlast\r\n");
  IndexFile file(kFile, IndexOpenMode::kScan);
  posix::ArmFaults("read:2:23");
  EXPECT_EQ(file.ReadLine(), "first");
  EXPECT_FALSE(file.EndOfText());
  EXPECT_EQ(file.ReadLine(), "");
  EXPECT_TRUE(file.EndOfText());
  EXPECT_EQ(TakeIoResult(), 23);
}

// Written for the reader's 4 KiB buffer: the CR is the last byte of the first read, so the
// second read is the one that looks for an LF after it.
TEST_F(IndexFileReadErrorTest, ErrorRightAfterTheCrKeepsTheEndedLine) {
  const std::string line(4095, 'x');
  prefix_.WriteFile(kFile, line + "\r\nnext\r\n");
  IndexFile file(kFile, IndexOpenMode::kScan);
  posix::ArmFaults("read:2:23");
  EXPECT_EQ(file.ReadLine(), line);
  EXPECT_TRUE(file.EndOfText());
  EXPECT_EQ(TakeIoResult(), 23);
}

}  // namespace
}  // namespace cdinst
