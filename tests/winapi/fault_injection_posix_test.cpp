// The emulation's test-only read and write faults.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <utility>

#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "winapi/posix/files/fault_injection.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

// What _lread and _lwrite return on failure.
constexpr UINT kCountError = static_cast<UINT>(HFILE_ERROR);

using posix::ArmFaults;
using posix::ResetFaults;

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFaults();
    prefix_.WriteFile(kFile, "");
    file_ = _lopen(kFile, OF_READWRITE | OF_SHARE_DENY_NONE);
    ASSERT_NE(file_, HFILE_ERROR);
  }
  void TearDown() override {
    if (file_ != HFILE_ERROR) _lclose(file_);
    ResetFaults();
  }

  // "n" for n bytes written, or "error c".
  std::string Write(const std::string& bytes) {
    DWORD written = 0;
    const BOOL ok = WriteFile(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(file_)), bytes.data(),
                              static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok ? std::to_string(written)
              : "error " + std::to_string(GetLastError()) + " after " + std::to_string(written);
  }

  static constexpr const char* kFile = "C:\\out.bin";
  ScratchPrefix prefix_;
  HFILE file_ = HFILE_ERROR;
};

TEST_F(FaultInjectionTest, NthWriteFailsAlone) {
  posix::ArmFaults("write:2:112");
  EXPECT_EQ(Write("ab"), "2");
  EXPECT_EQ(Write("cd"), "error 112 after 0");
  EXPECT_EQ(Write("ef"), "2");
  ASSERT_EQ(_lclose(std::exchange(file_, HFILE_ERROR)), 0);  // small writes reach the disk by then
  EXPECT_EQ(prefix_.ReadFile(kFile), "abef");
}

TEST_F(FaultInjectionTest, NthReadFailsAlone) {
  ASSERT_EQ(_lwrite(file_, "abcdef", 6), 6u);
  _llseek(file_, 0, FILE_BEGIN);
  posix::ArmFaults("read:1:23");
  char buffer[4] = {};
  EXPECT_EQ(_lread(file_, buffer, 3), kCountError);
  EXPECT_EQ(GetLastError(), DWORD{23});
  EXPECT_EQ(_lread(file_, buffer, 3), 3u);
  EXPECT_EQ(std::string(buffer), "abc");
}

TEST_F(FaultInjectionTest, DiskFillsAfterSomeBytes) {
  posix::ArmFaults("writebytes:5:112");
  EXPECT_EQ(Write("abc"), "3");
  EXPECT_EQ(Write("defg"), "error 112 after 2");
  EXPECT_EQ(Write(""), "0");
  EXPECT_EQ(_lwrite(file_, "h", 1), kCountError);
  ASSERT_EQ(_lclose(std::exchange(file_, HFILE_ERROR)), 0);
  EXPECT_EQ(prefix_.ReadFile(kFile), "abcde");
}

TEST_F(FaultInjectionTest, FaultTextArmsFaultsAndRejectsMistakes) {
  for (const char* bad :
       {"write:0:112", "write:3", "write:3:0", "disk:1:112", "write:x:112", "read:1:5,write"}) {
    EXPECT_FALSE(ArmFaults(bad)) << bad;
  }
  EXPECT_EQ(Write("a"), "1");  // nothing was armed by the rejected texts
  ASSERT_TRUE(ArmFaults("write:2:5,writebytes:2:39"));
  EXPECT_EQ(Write("b"), "1");
  EXPECT_EQ(Write("c"), "error 5 after 0");
  EXPECT_EQ(Write("de"), "error 39 after 1");
}

TEST_F(FaultInjectionTest, EnvironmentArmsFaultsUntilReset) {
  setenv("CDINST_FAULT", "write:2:112", 1);
  ResetFaults();
  EXPECT_EQ(Write("a"), "1");
  unsetenv("CDINST_FAULT");
  EXPECT_EQ(Write("b"), "error 112 after 0");
  setenv("CDINST_FAULT", "write:1:112", 1);
  EXPECT_EQ(Write("c"), "1");  // read once, not at every write
  unsetenv("CDINST_FAULT");
}

}  // namespace
}  // namespace cdinst::testing
