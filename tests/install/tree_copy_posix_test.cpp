// Symbolic links in the source, made on the Unix side.
#include <gtest/gtest.h>

#include <filesystem>

#include "install/created_entries.h"
#include "install/file_identity.h"
#include "install/tree_copy.h"
#include "listing_fixture.h"

namespace cdinst {
namespace {

namespace fs = std::filesystem;

class SourceLinkTest : public ::testing::Test {
 protected:
  SourceLinkTest() {
    prefix_.WriteFile("D:\\S\\A.TXT", "a");
    prefix_.WriteFile("D:\\S\\sub\\B.TXT", "b");
    prefix_.MakeDirectory("C:\\T");
  }

  void Link(const std::string& windowsPath, const std::string& target) {
    fs::create_directory_symlink(target, prefix_.Unix(windowsPath));
  }

  testing::ScratchPrefix prefix_;
  testing::StartAt start_{"C:\\"};
  HostWindow host_;
  testing::LinkedListings lists_{host_};
  CreatedEntries created_;
};

TEST_F(SourceLinkTest, LinkSharesItsTargetsIdentity) {
  Link("D:\\S\\volta", prefix_.Unix("D:\\S"));
  const auto source = IdentityOf("D:\\S");
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(IdentityOf("D:\\S\\volta"), source);
  EXPECT_EQ(IdentityOf("d:\\s\\"), source);
  EXPECT_NE(IdentityOf("D:\\S\\sub"), source);
  EXPECT_NE(IdentityOf("D:\\S\\A.TXT"), source);
  EXPECT_FALSE(IdentityOf("D:\\FALTA").has_value());
}

// Two links back up: following them would double the work at every level.
TEST_F(SourceLinkTest, LinksBackToAnAncestorAreNotFollowed) {
  Link("D:\\S\\volta", prefix_.Unix("D:\\S"));
  Link("D:\\S\\sub\\topo", "..");
  EXPECT_TRUE(CopyTree("D:\\S\\", "C:\\T\\", lists_.tree, "D:\\", created_));
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\A.TXT"), "a");
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\sub\\B.TXT"), "b");
  EXPECT_TRUE(fs::is_empty(prefix_.Unix("C:\\T\\volta")));
  EXPECT_TRUE(fs::is_empty(prefix_.Unix("C:\\T\\sub\\topo")));
  EXPECT_EQ(CurrentDirectory(), "D:\\");
}

// A link to a directory outside the copy is copied like any directory.
TEST_F(SourceLinkTest, LinkToAnotherDirectoryIsCopied) {
  prefix_.WriteFile("D:\\OUTRO\\O.TXT", "o");
  Link("D:\\S\\outro", prefix_.Unix("D:\\OUTRO"));
  EXPECT_TRUE(CopyTree("D:\\S\\", "C:\\T\\", lists_.tree, "D:\\", created_));
  EXPECT_EQ(prefix_.ReadFile("C:\\T\\outro\\O.TXT"), "o");
}

}  // namespace
}  // namespace cdinst
