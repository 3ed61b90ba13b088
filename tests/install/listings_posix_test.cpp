// Network shares are reached through the prefix's dosdevices/unc folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "listing_fixture.h"

namespace cdinst {
namespace {

using testing::EntriesOf;
using testing::Texts;

TEST(NetworkListingTest, ShareIsTheFirstLevel) {
  testing::ScratchPrefix prefix;
  std::filesystem::create_directories(prefix.PrefixDirectory() +
                                      "/dosdevices/unc/SERVER/SHARE/DADOS/sub");
  std::filesystem::create_directories(prefix.PrefixDirectory() +
                                      "/dosdevices/unc/SERVER/SHARE/JOGOS");
  testing::StartAt start("C:\\");
  HostWindow host;
  testing::LinkedListings lists(host);

  lists.tree.MoveTo("\\\\SERVER\\SHARE\\DADOS\\");
  EXPECT_EQ(EntriesOf(lists.tree), (Texts{"\\\\SERVER\\SHARE\\", "DADOS", "sub"}));
  EXPECT_EQ(lists.tree.CurrentLevel(), 1);
  EXPECT_EQ(lists.tree.Directory(), "\\\\SERVER\\SHARE\\DADOS");
  EXPECT_EQ(lists.files.Directory(), "\\\\SERVER\\SHARE\\DADOS");
  EXPECT_EQ(CurrentDirectory(), "\\\\SERVER\\SHARE\\DADOS");

  lists.tree.MoveTo("\\\\SERVER\\SHARE\\");
  EXPECT_EQ(EntriesOf(lists.tree), (Texts{"\\\\SERVER\\SHARE\\", "DADOS", "JOGOS"}));
  EXPECT_EQ(lists.tree.CurrentLevel(), 0);
  EXPECT_EQ(lists.tree.Directory(), "\\\\SERVER\\SHARE");
}

}  // namespace
}  // namespace cdinst
