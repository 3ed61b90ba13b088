// _lopen, _lcreat, _llseek, _lread, _lwrite and _lclose, as Windows behaves.
#include <gtest/gtest.h>

#include <string>

#include "platform_checks.h"
#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr const char* kReadOnlyUnderWine =
    "Wine leaves read-only to Unix permissions, which do not stop root";

// What _lread and _lwrite return on failure.
constexpr UINT kCountError = static_cast<UINT>(HFILE_ERROR);

constexpr int kReadSharingAll = OF_READ | OF_SHARE_DENY_NONE;  // 0x40

class SimpleFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteFile(kFile, "0123456789"); }

  // The error of an _lopen or _lcreat that should fail, or ~0 when it worked.
  static DWORD Error(HFILE file) {
    if (file == HFILE_ERROR) return GetLastError();
    _lclose(file);
    return ~DWORD{0};
  }

  std::string ReadAll(HFILE file, UINT count) {
    std::string bytes(count, '\0');
    const UINT read = _lread(file, bytes.data(), count);
    return read == kCountError ? "error" : bytes.substr(0, read);
  }

  static constexpr const char* kFile = "C:\\src\\file.dat";
  ScratchPrefix prefix_;
};

TEST_F(SimpleFilesTest, OpenAndCreateRefusals) {
  prefix_.MakeDirectory("C:\\src\\folder");
  EXPECT_EQ(Error(_lopen("C:\\src\\missing.dat", kReadSharingAll)), DWORD{2});
  EXPECT_EQ(Error(_lopen("C:\\gone\\file.dat", kReadSharingAll)), DWORD{3});
  EXPECT_EQ(Error(_lopen("C:\\src\\folder", kReadSharingAll)), DWORD{5});
  EXPECT_EQ(Error(_lcreat("C:\\gone\\file.dat", 0)), DWORD{3});
  EXPECT_EQ(Error(_lcreat("C:\\src\\folder", 0)), DWORD{5});
  EXPECT_EQ(Error(_lcreat("C:\\src\\a*b.dat", 0)), DWORD{123});
  if (WineDepartsFromWindows(kReadOnlyUnderWine)) return;
  prefix_.SetReadOnly(kFile, true);
  EXPECT_EQ(Error(_lcreat(kFile, 0)), DWORD{5});
  EXPECT_EQ(Error(_lopen(kFile, OF_WRITE | OF_SHARE_DENY_NONE)), DWORD{5});
  EXPECT_EQ(Error(_lopen(kFile, kReadSharingAll)), ~DWORD{0});
  prefix_.SetReadOnly(kFile, false);
  EXPECT_EQ(prefix_.ReadFile(kFile), "0123456789");
}

TEST_F(SimpleFilesTest, ReadingMeasuresSeeksAndStopsAtTheEnd) {
  const HFILE file = _lopen(kFile, kReadSharingAll);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 0, FILE_END), 10);
  EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
  EXPECT_EQ(ReadAll(file, 4), "0123");
  EXPECT_EQ(_llseek(file, -5, FILE_CURRENT), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), DWORD{131});
  EXPECT_EQ(ReadAll(file, 100), "456789");
  EXPECT_EQ(ReadAll(file, 100), "");
  EXPECT_EQ(_llseek(file, 20, FILE_BEGIN), 20);
  EXPECT_EQ(ReadAll(file, 1), "");
  EXPECT_EQ(_lwrite(file, "x", 1), kCountError);
  EXPECT_EQ(GetLastError(), DWORD{5});
  EXPECT_EQ(_lclose(file), 0);
  EXPECT_EQ(_lclose(file), HFILE_ERROR);
  EXPECT_EQ(_lread(file, nullptr, 0), kCountError);
}

TEST_F(SimpleFilesTest, CreateCutsAnExistingFileAndTheHandleReadsAndWrites) {
  const HFILE file = _lcreat(kFile, 0);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 0, FILE_END), 0);
  EXPECT_EQ(_lwrite(file, "abcdef", 6), 6u);
  EXPECT_EQ(_llseek(file, 2, FILE_BEGIN), 2);
  EXPECT_EQ(ReadAll(file, 2), "cd");
  EXPECT_EQ(_lclose(file), 0);
  EXPECT_EQ(prefix_.ReadFile(kFile), "abcdef");
}

TEST_F(SimpleFilesTest, WritingNothingSetsTheEndAtTheFilePointer) {
  const HFILE file = _lopen(kFile, OF_READWRITE | OF_SHARE_DENY_NONE);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 3, FILE_BEGIN), 3);
  EXPECT_EQ(_lwrite(file, "", 0), 0u);
  EXPECT_EQ(_llseek(file, 0, FILE_END), 3);
  EXPECT_EQ(_llseek(file, 5, FILE_BEGIN), 5);
  EXPECT_EQ(_lwrite(file, "", 0), 0u);
  EXPECT_EQ(_lclose(file), 0);
  EXPECT_EQ(prefix_.ReadFile(kFile), std::string("012\0\0", 5));
}

TEST_F(SimpleFilesTest, ReadOnlyCreationKeepsAWritableHandle) {
  const char* path = "C:\\src\\new.dat";
  const HFILE file = _lcreat(path, FILE_ATTRIBUTE_READONLY);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_lwrite(file, "xyz", 3), 3u);
  EXPECT_EQ(_lclose(file), 0);
  if (!WineDepartsFromWindows(kReadOnlyUnderWine)) {
    EXPECT_EQ(Error(_lopen(path, OF_WRITE)), DWORD{5});
  }
  prefix_.SetReadOnly(path, false);
  EXPECT_EQ(prefix_.ReadFile(path), "xyz");
}

TEST_F(SimpleFilesTest, OpenSharingAllWorksBesideHoldersThatShareReading) {
  const DWORD both = FILE_SHARE_READ | FILE_SHARE_WRITE;
  struct Case {
    DWORD access, share, expected;
  };
  const Case cases[] = {{GENERIC_READ, FILE_SHARE_READ, ~DWORD{0}},
                        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, ~DWORD{0}},
                        {GENERIC_WRITE, both, ~DWORD{0}},
                        {GENERIC_READ, 0, 32},
                        {GENERIC_WRITE, FILE_SHARE_WRITE, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.access) + "/" + std::to_string(c.share));
    ScopedHandle holder(OpenForTest(kFile, c.access, c.share));
    ASSERT_TRUE(holder.Valid());
    EXPECT_EQ(Error(_lopen(kFile, kReadSharingAll)), c.expected);
    EXPECT_EQ(Error(_lcreat(kFile, 0)), c.share == both ? ~DWORD{0} : 32);
  }
}

}  // namespace
}  // namespace cdinst::testing
