// A held directory (the current directory, or one open without sharing deletion) cannot be
// renamed on Windows. Here another program can rename it and put a link to a folder of its own in
// its place: paths through the held directory still lead into it, never through the link.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

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
      {"current directory", "C:\\T\\Work\\novo"},
      {"current directory", "novo"},
      {"current directory", "sub\\novo"},
      {"handle", "C:\\t\\WORK\\sub\\novo"},
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
