// A Unix name may hold what a Windows path reads as a separator or a drive; the emulation must
// show it as one name that no path can be read into, and never reach it through such a path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

struct UnixName {
  std::string onDisk;
  std::string shown;
};

TEST(UnixNamesTest, SeparatorsAndColonsInANameAreShownAsQuestionMarksAndNeverFollowed) {
  const std::vector<UnixName> names{
      {"C:evil", "C?evil"}, {"a\\b", "a?b"}, {"x\\..\\..\\Y", "x?..?..?Y"}};
  ScratchPrefix prefix;
  prefix.MakeDirectory("C:\\N");
  const std::string unix = prefix.Unix("C:\\N");
  std::vector<std::string> expected{".", ".."};
  for (const UnixName& name : names) {
    std::ofstream(unix + "/" + name.onDisk) << "x";
    expected.push_back(name.shown);
  }
  std::vector<std::string> listed = Search("C:\\N\\*").Names();
  std::sort(listed.begin() + 2, listed.end());
  EXPECT_EQ(listed, expected);
  for (const UnixName& name : names) {
    EXPECT_EQ(AttributesError("C:\\N\\" + name.shown), DWORD{ERROR_INVALID_NAME}) << name.shown;
    EXPECT_NE(AttributesError("C:\\N\\" + name.onDisk), 0u) << name.onDisk;
  }
  EXPECT_EQ(CreateDirectoryError("C:\\N\\novo:x"), DWORD{ERROR_INVALID_NAME});
  EXPECT_FALSE(std::filesystem::exists(unix + "/novo:x"));
}

}  // namespace
}  // namespace cdinst::testing
