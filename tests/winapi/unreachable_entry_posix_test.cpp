// A directory whose listing names an entry that cannot then be looked up, as a disc mounted with
// a character set too narrow for its names shows one: the search must still report it.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "scratch_prefix.h"
#include "seam_helpers.h"

namespace {
// Looking this name up fails as for a name the mount cannot map back.
constexpr char kUnreachable[] = "FANTASMA.TXT";
}  // namespace

extern "C" int fstatat(int directory, const char* name, struct stat* info, int flags) {
  static const auto real =
      reinterpret_cast<int (*)(int, const char*, struct stat*, int)>(dlsym(RTLD_NEXT, "fstatat"));
  if (std::strcmp(name, kUnreachable) == 0) {
    errno = ENOENT;
    return -1;
  }
  return real(directory, name, info, flags);
}

namespace cdinst::testing {
namespace {

TEST(UnreachableEntryTest, SearchReportsItAsAFileThatCannotBeOpened) {
  ScratchPrefix prefix;
  prefix.WriteFile("D:\\ORIGEM\\A.TXT", "a");
  prefix.WriteFile(std::string("D:\\ORIGEM\\") + kUnreachable, "lost");
  const SearchResult found = Search("D:\\ORIGEM\\*.*");
  ASSERT_EQ(found.Names(), (std::vector<std::string>{".", "..", "A.TXT", kUnreachable}));
  EXPECT_EQ(found.entries[3].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(found.entries[3].dwFileAttributes & FILE_ATTRIBUTE_HIDDEN, 0u);
}

}  // namespace
}  // namespace cdinst::testing
