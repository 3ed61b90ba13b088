// Small reads and writes, as a block copy makes them: every handle on a file, and every query,
// sees the bytes in the order they were written.
#include <gtest/gtest.h>

#include <string>

#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr UINT kBlock = 1024;

class BufferedIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.WriteFile(kFile, "");
    writer_ = _lopen(kFile, OF_READWRITE | OF_SHARE_DENY_NONE);
    reader_ = _lopen(kFile, OF_READ | OF_SHARE_DENY_NONE);
    ASSERT_NE(writer_, HFILE_ERROR);
    ASSERT_NE(reader_, HFILE_ERROR);
  }
  void TearDown() override {
    _lclose(reader_);
    _lclose(writer_);
  }

  // Block `n` of the test data: kBlock bytes of one letter.
  static std::string Block(int n) { return std::string(kBlock, static_cast<char>('a' + n % 26)); }

  static std::string Read(HFILE file, UINT count) {
    std::string bytes(count, '\0');
    const UINT read = _lread(file, bytes.data(), count);
    return read == static_cast<UINT>(HFILE_ERROR) ? "error" : bytes.substr(0, read);
  }

  static constexpr const char* kFile = "C:\\buffered.bin";
  ScratchPrefix prefix_;
  HFILE writer_ = HFILE_ERROR;
  HFILE reader_ = HFILE_ERROR;
};

TEST_F(BufferedIoTest, AnotherHandleReadsEveryWriteAtOnce) {
  for (int n = 0; n < 3; ++n) {
    ASSERT_EQ(_lwrite(writer_, Block(n).data(), kBlock), kBlock);
    EXPECT_EQ(Read(reader_, kBlock), Block(n)) << "block " << n;
  }
  EXPECT_EQ(Read(reader_, kBlock), "");  // the end, not a stale chunk
}

// A handle that made its file is not told apart from the others until one is opened beside it.
TEST_F(BufferedIoTest, AFileJustMadeIsSharedWithHandlesOpenedAfterIt) {
  const HFILE made = _lcreat("C:\\made.bin", 0);
  ASSERT_NE(made, HFILE_ERROR);
  ASSERT_EQ(_lwrite(made, Block(0).data(), kBlock), kBlock);
  const HFILE reader = _lopen("C:\\MADE.BIN", OF_READ | OF_SHARE_DENY_NONE);
  ASSERT_NE(reader, HFILE_ERROR);
  EXPECT_EQ(Read(reader, kBlock), Block(0));
  ASSERT_EQ(_lwrite(made, Block(1).data(), kBlock), kBlock);
  EXPECT_EQ(Read(reader, kBlock), Block(1));
  _lclose(reader);
  _lclose(made);
}

TEST_F(BufferedIoTest, AWriteElsewhereReplacesWhatWasReadAhead) {
  for (int n = 0; n < 4; ++n) ASSERT_EQ(_lwrite(writer_, Block(n).data(), kBlock), kBlock);
  EXPECT_EQ(Read(reader_, kBlock), Block(0));
  _llseek(writer_, kBlock, FILE_BEGIN);
  ASSERT_EQ(_lwrite(writer_, "XY", 2), 2u);
  EXPECT_EQ(Read(reader_, 3), "XY" + Block(1).substr(0, 1));
  _llseek(writer_, 0, FILE_BEGIN);
  EXPECT_EQ(Read(writer_, 2), Block(0).substr(0, 2));  // its own writes, read back
}

TEST_F(BufferedIoTest, SizesAndTheEndCountEveryWrite) {
  for (int n = 0; n < 5; ++n) ASSERT_EQ(_lwrite(writer_, Block(n).data(), kBlock), kBlock);
  ASSERT_EQ(_lwrite(writer_, "z", 1), 1u);
  const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(reader_));
  EXPECT_EQ(GetFileSize(handle, nullptr), 5 * kBlock + 1);
  BY_HANDLE_FILE_INFORMATION information{};
  ASSERT_TRUE(GetFileInformationByHandle(handle, &information));
  EXPECT_EQ(information.nFileSizeLow, 5 * kBlock + 1);
  EXPECT_EQ(_llseek(writer_, 0, FILE_END), static_cast<LONG>(5 * kBlock + 1));
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA("C:\\buffered.b*", &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  EXPECT_EQ(found.nFileSizeLow, 5 * kBlock + 1);
}

// A new open that cuts the file must not be followed by bytes written before it.
TEST_F(BufferedIoTest, AnOpenThatCutsTheFileComesAfterEarlierWrites) {
  ASSERT_EQ(_lwrite(writer_, Block(0).data(), kBlock), kBlock);
  const HFILE cut = _lcreat(kFile, 0);
  ASSERT_NE(cut, HFILE_ERROR);
  ASSERT_EQ(_lwrite(cut, "new", 3), 3u);
  ASSERT_EQ(_lclose(cut), 0);
  EXPECT_EQ(Read(reader_, kBlock), "new");
}

TEST_F(BufferedIoTest, AnEndSetElsewhereCutsWhatWasReadAhead) {
  for (int n = 0; n < 2; ++n) ASSERT_EQ(_lwrite(writer_, Block(n).data(), kBlock), kBlock);
  EXPECT_EQ(Read(reader_, kBlock), Block(0));
  _llseek(writer_, kBlock, FILE_BEGIN);
  ASSERT_EQ(_lwrite(writer_, "", 0), 0u);  // sets the end here
  EXPECT_EQ(Read(reader_, kBlock), "");
}

}  // namespace
}  // namespace cdinst::testing
