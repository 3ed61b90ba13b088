// Copy failures that a real disk does not produce on demand: failing reads and writes, and
// sources too large to copy (sparse, so they cost no disk).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "copy_checks.h"
#include "install/block_copy.h"
#include "scratch_prefix.h"
#include "winapi/posix/files/fault_injection.h"

namespace cdinst {
namespace {

using testing::Pattern;
using testing::Unheld;

class BlockCopyFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { posix::ResetFaults(); }
  void TearDown() override { posix::ResetFaults(); }

  // Copies `content` from D: to C:, checking that neither file stays open.
  bool CopyOf(const std::string& content) {
    prefix_.WriteFile(kSource, content);
    const bool copied = CopyFileBlocks(kSource, kDestination);
    posix::ResetFaults();
    EXPECT_TRUE(Unheld(kSource));
    EXPECT_TRUE(Unheld(kDestination));
    return copied;
  }

  std::string Copied() const { return prefix_.ReadFile(kDestination); }

  static constexpr const char* kSource = "D:\\SOURCE.BIN";
  static constexpr const char* kDestination = "C:\\COPY.BIN";
  testing::ScratchPrefix prefix_;
};

TEST_F(BlockCopyFaultTest, FailedBlockReadStopsTheCopy) {
  posix::ArmFaults("read:3:1117");
  EXPECT_FALSE(CopyOf(Pattern(5000)));
  EXPECT_TRUE(Copied() == Pattern(2048));
}

TEST_F(BlockCopyFaultTest, FailedBlockWriteStopsTheCopy) {
  posix::ArmFaults("writebytes:1500:112");
  EXPECT_FALSE(CopyOf(Pattern(5000)));
  EXPECT_TRUE(Copied() == Pattern(1500));

  posix::ArmFaults("write:1:112");
  EXPECT_FALSE(CopyOf(Pattern(1024)));
  EXPECT_EQ(Copied(), "");
}

// The tail's own results are not looked at; the size comparison after it must catch both.
TEST_F(BlockCopyFaultTest, FailedTailIsCaughtBySizeComparison) {
  posix::ArmFaults("read:2:1117");
  EXPECT_FALSE(CopyOf(Pattern(1724)));
  EXPECT_TRUE(Copied() == Pattern(1024));

  posix::ArmFaults("write:1:112");
  EXPECT_FALSE(CopyOf(Pattern(700)));
  EXPECT_EQ(Copied(), "");
}

// A 32-bit size would make 4 GiB + 700 bytes look like 700, and 2 GiB look negative.
TEST_F(BlockCopyFaultTest, SourceOf2GiBOrMoreIsRefusedBeforeTheDestinationIsTouched) {
  for (const uint64_t size : {uint64_t{1} << 31, (uint64_t{1} << 32) + 700}) {
    SCOPED_TRACE(size);
    prefix_.WriteFile(kSource, "");
    ASSERT_EQ(truncate(prefix_.Unix(kSource).c_str(), static_cast<off_t>(size)), 0);
    EXPECT_FALSE(CopyFileBlocks(kSource, "C:\\NEW.BIN"));
    EXPECT_FALSE(prefix_.Exists("C:\\NEW.BIN"));
    prefix_.WriteFile(kDestination, "kept");
    EXPECT_FALSE(CopyFileBlocks(kSource, kDestination));
    EXPECT_EQ(Copied(), "kept");
    EXPECT_TRUE(Unheld(kSource));
  }
}

}  // namespace
}  // namespace cdinst
