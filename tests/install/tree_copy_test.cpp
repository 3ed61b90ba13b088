#include "install/tree_copy.h"

#include <gtest/gtest.h>

#include "install/created_entries.h"
#include "listing_fixture.h"

namespace cdinst {
namespace {

class TreeCopyTest : public ::testing::Test {
 protected:
  TreeCopyTest() { prefix_.MakeDirectory("C:\\T"); }

  bool Copy(const std::string& source, const std::string& mask = "*.*") {
    lists_.files.ChangeMask(mask);
    return CopyTree(source, "C:\\T\\", lists_.tree, "D:\\", created_);
  }

  bool ReadOnly(const std::string& path) {
    return ReadFileAttributes(path) & FILE_ATTRIBUTE_READONLY;
  }

  testing::ScratchPrefix prefix_;
  testing::StartAt start_{"C:\\"};
  HostWindow host_;
  testing::LinkedListings lists_{host_};
  CreatedEntries created_;
};

// Files first; then each new subdirectory, recursively; an existing counterpart keeps what it
// holds, and hidden entries are not copied.
TEST_F(TreeCopyTest, CopiesFilesThenNewSubdirectoriesOnly) {
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\LEIAME.TXT", "leia");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\EDITOR.EXE", "exe");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\.oculto", "o");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\dados\\TABELA.DAT", "tabela");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\dados\\mais\\X.DAT", "x");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\Help\\NOVO.HLP", "novo");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\.cache\\C.DAT", "c");
  prefix_.WriteFile("C:\\T\\Help\\ANTIGO.HLP", "antigo");

  EXPECT_TRUE(Copy("D:\\PROGS\\EDITOR\\"));
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\LEIAME.TXT"), "leia");
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\EDITOR.EXE"), "exe");
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\dados\\TABELA.DAT"), "tabela");
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\dados\\mais\\X.DAT"), "x");
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\Help\\ANTIGO.HLP"), "antigo");
  EXPECT_FALSE(prefix_.Exists("C:\\T\\Help\\NOVO.HLP"));
  EXPECT_FALSE(prefix_.Exists("C:\\T\\.oculto"));
  EXPECT_FALSE(prefix_.Exists("C:\\T\\.cache"));
  EXPECT_EQ(CurrentDirectory(), "D:\\");
}

TEST_F(TreeCopyTest, ReadOnlyCopyIsOverwrittenAndMadeWritable) {
  prefix_.WriteFile("D:\\S\\A.TXT", "novo");
  prefix_.WriteFile("C:\\T\\A.TXT", "antigo e longo");
  prefix_.SetReadOnly("C:\\T\\A.TXT", true);
  ASSERT_TRUE(ReadOnly("C:\\T\\A.TXT"));
  EXPECT_TRUE(Copy("D:\\S"));
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\A.TXT"), "novo");
  EXPECT_FALSE(ReadOnly("C:\\T\\A.TXT"));
}

// B.TXT cannot be created where a directory has its name.
TEST_F(TreeCopyTest, FirstFailingFileEndsTheCopy) {
  for (const char* file : {"A.TXT", "B.TXT", "C.TXT", "sub\\D.TXT"}) {
    prefix_.WriteFile(std::string("D:\\S\\") + file, "x");
  }
  prefix_.MakeDirectory("C:\\T\\B.TXT");
  EXPECT_FALSE(Copy("D:\\S\\"));
  EXPECT_TRUE(prefix_.Exists("C:\\T\\A.TXT"));
  EXPECT_FALSE(prefix_.Exists("C:\\T\\C.TXT"));
  EXPECT_FALSE(prefix_.Exists("C:\\T\\sub"));
  EXPECT_EQ(CurrentDirectory(), "D:\\S");
}

TEST_F(TreeCopyTest, FileNamedLikeASubdirectoryEndsTheCopy) {
  prefix_.WriteFile("D:\\S\\a\\A.TXT", "x");
  prefix_.WriteFile("D:\\S\\b\\B.TXT", "x");
  prefix_.WriteFile("D:\\S\\c\\C.TXT", "x");
  prefix_.WriteFile("C:\\T\\b", "a file");
  EXPECT_FALSE(Copy("D:\\S\\"));
  EXPECT_TRUE(prefix_.Exists("C:\\T\\a\\A.TXT"));
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\b"), "a file");
  EXPECT_FALSE(prefix_.Exists("C:\\T\\c"));
  EXPECT_EQ(CurrentDirectory(), "D:\\S");
}

TEST_F(TreeCopyTest, SubdirectoryIsCreatedWhateverTheMask) {
  prefix_.WriteFile("D:\\S\\A.EXE", "x");
  prefix_.WriteFile("D:\\S\\A.TXT", "x");
  prefix_.WriteFile("D:\\S\\doc\\LEIA.TXT", "x");
  EXPECT_TRUE(Copy("D:\\S\\", "*.EXE"));
  EXPECT_TRUE(prefix_.Exists("C:\\T\\A.EXE"));
  EXPECT_FALSE(prefix_.Exists("C:\\T\\A.TXT"));
  EXPECT_TRUE(prefix_.Exists("C:\\T\\doc"));
  EXPECT_FALSE(prefix_.Exists("C:\\T\\doc\\LEIA.TXT"));
}

TEST_F(TreeCopyTest, WithoutSubdirectoriesEndsInTheSourceWithOrWithoutBackslash) {
  prefix_.WriteFile("D:\\S\\A.TXT", "x");
  for (const char* source : {"D:\\S", "D:\\S\\"}) {
    EXPECT_TRUE(Copy(source));
    EXPECT_EQ(CurrentDirectory(), "D:\\S") << source;
  }
  EXPECT_TRUE(prefix_.Exists("C:\\T\\A.TXT"));
  prefix_.MakeDirectory("D:\\E");
  EXPECT_TRUE(Copy("D:\\E\\"));
}

// A file path over 255 characters fails to copy, one level down.
TEST_F(TreeCopyTest, FailureBelowLeavesTheFailingSourceCurrent) {
  const std::string longName(200, 'n');
  prefix_.WriteFile("D:\\S\\" + longName + "\\" + std::string(60, 'f'), "x");
  EXPECT_FALSE(Copy("D:\\S\\"));
  EXPECT_TRUE(prefix_.Exists("C:\\T\\" + longName));
  EXPECT_EQ(CurrentDirectory(), "D:\\S\\" + longName);
}

// The listing reports a drive root with its backslash; its subdirectories are copied all the
// same.
TEST_F(TreeCopyTest, DriveRootSourceCopiesItsSubdirectories) {
  prefix_.MapDrive('E');
  prefix_.WriteFile("E:\\R.TXT", "r");
  prefix_.WriteFile("E:\\sub\\S.TXT", "s");
  lists_.files.ChangeMask("*.*");
  EXPECT_TRUE(CopyTree("E:\\", "C:\\T", lists_.tree, "E:\\", created_));
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\R.TXT"), "r");
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\sub\\S.TXT"), "s");
  EXPECT_EQ(CurrentDirectory(), "E:\\");
}

}  // namespace
}  // namespace cdinst
