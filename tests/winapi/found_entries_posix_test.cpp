// Searches of a large directory answer from entries the emulation keeps between searches:
// whatever changes the directory or an entry in it, by any process, they must answer as a fresh
// read would.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 40;  // more than a directory needs to be kept

class FoundEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.MakeDirectory("C:\\LARGE");
    unix_ = prefix_.Unix("C:\\LARGE");
    for (int n = 0; n < kEntries; ++n) Write("F" + std::to_string(n) + ".TXT", "x");
    ASSERT_EQ(All().entries.size(), size_t{kEntries + 2});  // with . and ..; kept from here on
  }

  // Behind the emulation's back.
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(unix_ + "/" + name, std::ios::binary) << bytes;
  }

  static SearchResult All() { return Search("C:\\LARGE\\*"); }

  static const WIN32_FIND_DATAA* Entry(const SearchResult& result, const std::string& name) {
    for (const WIN32_FIND_DATAA& entry : result.entries) {
      if (name == entry.cFileName) return &entry;
    }
    return nullptr;
  }

  ScratchPrefix prefix_;
  std::string unix_;
};

TEST_F(FoundEntriesTest, EntriesMadeRemovedOrRenamedElsewhereShowAtOnce) {
  Write("NOVO.TXT", "");
  EXPECT_NE(Entry(All(), "NOVO.TXT"), nullptr);
  fs::rename(unix_ + "/NOVO.TXT", unix_ + "/Outro.txt");
  EXPECT_EQ(Entry(All(), "NOVO.TXT"), nullptr);
  EXPECT_NE(Entry(All(), "Outro.txt"), nullptr);
  ASSERT_TRUE(fs::remove(unix_ + "/F7.TXT"));
  EXPECT_EQ(Entry(All(), "F7.TXT"), nullptr);
  EXPECT_EQ(All().entries.size(), size_t{kEntries + 2});
  // In another process, whose changes the kernel reports just the same.
  const pid_t child = fork();
  if (child == 0) _exit(std::remove((unix_ + "/F8.TXT").c_str()) == 0 ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(Entry(All(), "F8.TXT"), nullptr);
}

TEST_F(FoundEntriesTest, AnEntryWrittenOrMadeReadOnlyShowsItsNewState) {
  Write("F3.TXT", "longer");
  const WIN32_FIND_DATAA* entry = nullptr;
  SearchResult after = All();
  ASSERT_NE(entry = Entry(after, "F3.TXT"), nullptr);
  EXPECT_EQ(entry->nFileSizeLow, 6u);
  prefix_.SetReadOnly("C:\\LARGE\\F4.TXT", true);
  after = All();
  ASSERT_NE(entry = Entry(after, "F4.TXT"), nullptr);
  EXPECT_TRUE(entry->dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  // Through the emulation, with a handle still open.
  const HANDLE file = CreateFileA("C:\\LARGE\\F5.TXT", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
  after = All();
  CloseHandle(file);
  ASSERT_NE(entry = Entry(after, "F5.TXT"), nullptr);
  EXPECT_EQ(entry->nFileSizeLow, 3u);
}

// A child made by fork() shares the kernel's queue of reports with its parent.
TEST_F(FoundEntriesTest, AChildsSearchesLeaveTheParentItsReports) {
  Write("F3.TXT", "longer");
  const pid_t child = fork();
  if (child == 0) _exit(All().entries.size() == size_t{kEntries + 2} ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const SearchResult after = All();
  const WIN32_FIND_DATAA* entry = Entry(after, "F3.TXT");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->nFileSizeLow, 6u);
}

TEST_F(FoundEntriesTest, ADirectoryPutInThePlaceOfAnotherIsReadAfresh) {
  fs::rename(unix_, unix_ + ".old");
  fs::create_directory(unix_);
  Write("ONLY.TXT", "");
  const SearchResult after = All();
  EXPECT_EQ(after.entries.size(), 3u);  // with . and ..
  EXPECT_NE(Entry(after, "ONLY.TXT"), nullptr);
  EXPECT_EQ(Entry(after, "F1.TXT"), nullptr);
}

}  // namespace
}  // namespace cdinst::testing
