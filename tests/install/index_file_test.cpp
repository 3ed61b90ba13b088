#include "install/index_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/io_error.h"
#include "scratch_prefix.h"

namespace cdinst {
namespace {

using Lines = std::vector<std::string>;

constexpr char kFile[] = "C:\\DUDERUR\\INDICE2.CD";

class IndexFileTest : public ::testing::Test {
 protected:
  // Every line of `bytes` as the scan reads them: the body runs before the end is tested.
  Lines ReadBack(const std::string& bytes) {
    prefix_.WriteFile(kFile, bytes);
    IndexFile file(kFile, IndexOpenMode::kScan);
    EXPECT_EQ(TakeIoResult(), 0);
    Lines lines;
    do {
      lines.push_back(file.ReadLine());
    } while (!file.EndOfText());
    file.Close();
    EXPECT_EQ(TakeIoResult(), 0);
    return lines;
  }

  testing::ScratchPrefix prefix_;
};

TEST_F(IndexFileTest, LinesEndAtCrAndOneLfAfterIt) {
  EXPECT_EQ(ReadBack("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadBack("a\rb\r"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadBack("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadBack("a\r\n\nb\r\n\r\n"), (Lines{"a", "\nb", ""}));
  EXPECT_EQ(ReadBack("a\r\nlast"), (Lines{"a", "last"}));
}

TEST_F(IndexFileTest, BareLfIsAnOrdinaryCharacter) {
  EXPECT_EQ(ReadBack("a\nb\n"), (Lines{"a\nb\n"}));
  EXPECT_EQ(ReadBack("\t\n\x01\xFF"), (Lines{"\t\n\x01\xFF"}));
}

TEST_F(IndexFileTest, EmptyFileReadsAsOneEmptyLine) { EXPECT_EQ(ReadBack(""), (Lines{""})); }

TEST_F(IndexFileTest, CtrlZEndsTheText) {
  EXPECT_EQ(ReadBack("a\r\nb\x1A\r\nc\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadBack("a\r\n\x1A"), (Lines{"a"}));
  EXPECT_EQ(ReadBack("\x1A"
                     "a\r\n"),
            (Lines{""}));
  EXPECT_EQ(ReadBack("a\r\x1A\nb"), (Lines{"a"}));
}

TEST_F(IndexFileTest, LinesOfAnyLengthAndLineEndsAcrossReads) {
  for (const size_t length : {1, 4094, 4095, 4096, 4097, 8191, 8192, 70000}) {
    const std::string longLine(length, 'x');
    EXPECT_EQ(ReadBack(longLine + "\r\nnext\r\n"), (Lines{longLine, "next"})) << length;
    EXPECT_EQ(ReadBack(longLine + "\r\n\nnext"), (Lines{longLine, "\nnext"})) << length;
    EXPECT_EQ(ReadBack(longLine + "\x1A"
                                  "after"),
              (Lines{longLine}))
        << length;
  }
}

TEST_F(IndexFileTest, OpenFailuresArePendingCodes) {
  EXPECT_FALSE(IndexFile(kFile, IndexOpenMode::kScan).IsOpen());
  EXPECT_EQ(TakeIoResult(), 3);  // no C:\DUDERUR
  EXPECT_FALSE(IndexFile(kFile, IndexOpenMode::kAnew).IsOpen());
  EXPECT_EQ(TakeIoResult(), 3);
  prefix_.MakeDirectory("C:\\DUDERUR");
  EXPECT_FALSE(IndexFile(kFile, IndexOpenMode::kAppend).IsOpen());
  EXPECT_EQ(TakeIoResult(), 2);
  EXPECT_FALSE(prefix_.Exists(kFile));
  EXPECT_TRUE(IndexFile(kFile, IndexOpenMode::kAnew).IsOpen());
  EXPECT_EQ(TakeIoResult(), 0);
  EXPECT_TRUE(prefix_.Exists(kFile));
}

TEST_F(IndexFileTest, OpensLetOthersOnlyRead) {
  prefix_.WriteFile(kFile, "old");
  {
    IndexFile scan(kFile, IndexOpenMode::kScan);
    EXPECT_TRUE(IndexFile(kFile, IndexOpenMode::kScan).IsOpen());
    EXPECT_FALSE(IndexFile(kFile, IndexOpenMode::kAppend).IsOpen());
    EXPECT_EQ(TakeIoResult(), 32);
  }
  EXPECT_FALSE(IndexFile(kFile, IndexOpenMode::kAnew).IsOpen());  // never empties a file
  EXPECT_EQ(TakeIoResult(), 80);
  IndexFile append(kFile, IndexOpenMode::kAppend);
  ASSERT_TRUE(append.IsOpen());
  EXPECT_FALSE(IndexFile(kFile, IndexOpenMode::kScan).IsOpen());
  EXPECT_EQ(TakeIoResult(), 32);
  EXPECT_EQ(prefix_.ReadFile(kFile), "old");
}

TEST_F(IndexFileTest, WriteWithoutWriteAccessRaisesAndLeavesTheFileOpen) {
  prefix_.WriteFile(kFile, "old");
  IndexFile file(kFile, IndexOpenMode::kScan);
  try {
    file.WriteOrRaise("x");
    FAIL() << "no IoError";
  } catch (const IoError& error) {
    EXPECT_EQ(error.IoErrorCode(), 5);
    EXPECT_STREQ(error.what(), "File access denied");
  }
  EXPECT_EQ(TakeIoResult(), 0);
  EXPECT_TRUE(file.IsOpen());
  file.CloseOrRaise();
  EXPECT_EQ(prefix_.ReadFile(kFile), "old");
}

}  // namespace
}  // namespace cdinst
