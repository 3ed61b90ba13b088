// A held directory (the current directory, or one open without sharing deletion) cannot be
// renamed on Windows. Here another program can rename it and put a link to a folder of its own in
// its place: paths through the held directory still lead into it, never through the link.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

TEST(HeldDirectoriesTest, PathsThroughAHeldDirectoryLeadIntoItAfterASwap) {
  const struct {
    const char* holder;
    const char* made;  // as the program names what it makes in the held directory
  } cases[] = {
      {"current directory", "C:\\T\\Work\\novo"},   {"current directory", "novo"},
      {"current directory", "sub\\novo"},           {"handle", "C:\\t\\WORK\\sub\\novo"},
      {"handle, then entered by its path", "novo"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(std::string(each.holder) + ": " + each.made);
    ScratchPrefix prefix;
    prefix.MakeDirectory("C:\\t\\work\\sub");
    prefix.WriteFile("C:\\victim\\keep.txt", "victim");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\work"));
    std::optional<ScopedHandle> handle;
    const std::string holder = each.holder;
    if (holder != "current directory") {
      ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
      handle.emplace(CreateFileA("C:\\t\\work", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
      ASSERT_TRUE(handle->Valid());
    }
    const std::string work = prefix.Unix("C:\\t\\work");
    fs::rename(work, work + ".moved");
    fs::create_directory_symlink(prefix.Unix("C:\\victim"), work);
    if (holder == "handle, then entered by its path") {
      ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\Work"));
    }

    const std::string file = std::string(each.made) + ".txt";
    ScopedHandle created(OpenForTest(file, GENERIC_WRITE, 0, CREATE_NEW));
    EXPECT_TRUE(created.Valid());
    EXPECT_EQ(0u, CreateDirectoryError(each.made));
    EXPECT_EQ(0x20u, GetFileAttributesA(file.c_str()));
    const std::string inside =
        std::string(each.made).find("sub") != std::string::npos ? "/sub/novo" : "/novo";
    EXPECT_TRUE(fs::is_regular_file(work + ".moved" + inside + ".txt"));
    // The DOS attributes are read through the held directory too.
    setxattr((work + ".moved" + inside + ".txt").c_str(), "user.DOSATTRIB", "0x2", 3, 0);
    EXPECT_EQ(0x22u, GetFileAttributesA(file.c_str()));
    EXPECT_TRUE(fs::is_directory(work + ".moved" + inside));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(prefix.Unix("C:\\victim")),
                               fs::directory_iterator()));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  }
}

// Windows resolves a path below the current directory from its handle: a drive remapped while
// the program is at its root still leads to the old volume, until the program leaves it.
// A folder left for the one above it and entered again is entered without being opened anew:
// whatever another program did to its name meanwhile, entering it must find what is there now.
TEST(HeldDirectoriesTest, AFolderEnteredAgainIsWhatItsNameNamesNow) {
  const struct {
    const char* change;
    std::function<void(const std::string& sub)> apply;
    DWORD error;         // of entering it again
    const char* inside;  // the file found there then
  } cases[] = {
      {"nothing", [](const std::string&) {}, 0, "a.txt"},
      {"renamed, another made in its place",
       [](const std::string& sub) {
         fs::rename(sub, sub + ".old");
         fs::create_directory(sub);
         std::ofstream(sub + "/b.txt") << "b";
       },
       0, "b.txt"},
      {"replaced by a link",
       [](const std::string& sub) {
         fs::rename(sub, sub + ".old");
         fs::create_directory_symlink(fs::path(sub).parent_path().parent_path() / "victim", sub);
       },
       0, "keep.txt"},
      {"removed", [](const std::string& sub) { fs::remove_all(sub); }, ERROR_FILE_NOT_FOUND, ""},
      {"replaced by a file",
       [](const std::string& sub) {
         fs::remove_all(sub);
         std::ofstream(sub) << "f";
       },
       ERROR_DIRECTORY, ""},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.change);
    ScratchPrefix prefix;
    prefix.WriteFile("C:\\t\\sub\\a.txt", "a");
    prefix.WriteFile("C:\\victim\\keep.txt", "victim");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));
    for (int visit = 0; visit < 2; ++visit) {  // kept from the first leaving on
      ASSERT_TRUE(SetCurrentDirectoryA("sub"));
      ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));
    }
    each.apply(prefix.Unix("C:\\t\\sub"));
    EXPECT_EQ(ChangeDirectoryError("C:\\t\\sub"), each.error);
    if (each.error == 0) {
      EXPECT_EQ(Search("*.txt").Names(), std::vector<std::string>{each.inside});
    }
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  }
}

TEST(HeldDirectoriesTest, ADriveRootEnteredKeepsItsVolumeUntilLeft) {
  ScratchPrefix prefix;
  prefix.MapDrive('E');
  prefix.WriteFile("E:\\antes.txt", "a");
  const std::string after = prefix.Directory() + "/other";
  fs::create_directory(after);
  ASSERT_TRUE(SetCurrentDirectoryA("E:\\"));
  prefix.MapDrive('E', after);
  prefix.WriteFile("E:\\depois.txt", "d");
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("E:\\antes.txt"));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("antes.txt"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("E:\\depois.txt"));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("E:\\antes.txt"));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("E:\\depois.txt"));
}

}  // namespace
}  // namespace cdinst::testing
