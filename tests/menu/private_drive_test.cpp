// The private drive an image is laid out in: made for cdinst alone, and gone after the run
// however it ends.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "menu/private_drive.h"
#include "scoped_environment.h"

namespace cdinst::menu {
namespace {

namespace fs = std::filesystem;
using cdinst::testing::ScopedEnvironment;

// Records what it was given and found, then ends as $FAKE_END says: "exit" with 7, "term" after
// sending SIGTERM to the menu (as a terminal would send it to both) with 5.
constexpr char kFakeInstaller[] = R"(#!/bin/sh
{ echo "$CDINST_DRIVE_D"; stat -c %a "$CDINST_DRIVE_D"; ls "$CDINST_DRIVE_D"; echo "$*"; } \
  > "$FAKE_RECORD"
if [ "$FAKE_END" = term ]; then kill -TERM $PPID; sleep 0.2; exit 5; fi
exit 7
)";

class PrivateRunTest : public ::testing::Test {
 protected:
  PrivateRunTest() {
    std::string pattern = (fs::temp_directory_path() / "cdinst-private-run-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    fs::create_directories(root_ + "/bin");
    fs::create_directories(root_ + "/runtime");
    std::ofstream(root_ + "/bin/cdinst") << kFakeInstaller;
    fs::permissions(root_ + "/bin/cdinst", fs::perms::owner_all);
    environment_.Set("PATH", root_ + "/bin:" + std::getenv("PATH"));
    environment_.Set("XDG_RUNTIME_DIR", root_ + "/runtime");
    environment_.Set("FAKE_RECORD", root_ + "/record");
  }
  ~PrivateRunTest() override { fs::remove_all(root_); }

  std::string Record() const {
    std::stringstream text;
    text << std::ifstream(root_ + "/record").rdbuf();
    return text.str();
  }

  bool RuntimeIsEmpty() const { return fs::is_empty(root_ + "/runtime"); }

  std::string root_;
  ScopedEnvironment environment_;
};

// What an image's layout leaves: read-only files and a folder.
void LayOutReadOnly(const std::string& directory) {
  fs::create_directories(directory + "/DADOS");
  std::ofstream(directory + "/DADOS/PROGS.INI") << "[P]";
  fs::permissions(directory + "/DADOS/PROGS.INI", fs::perms::owner_read);
  fs::permissions(directory + "/DADOS", fs::perms::owner_read | fs::perms::owner_exec);
}

TEST_F(PrivateRunTest, CdinstGetsAPrivateDriveThatIsRemovedHoweverTheRunEnds) {
  const struct {
    const char* end;
    int result;
  } cases[] = {{"exit", 7}, {"term", 128 + SIGTERM}};
  for (const auto& c : cases) {
    environment_.Set("FAKE_END", c.end);
    EXPECT_EQ(c.result, RunOverPrivateDrive(LayOutReadOnly, {"T", "D:\\", "P", "1", "*.*"}));
    std::istringstream record(Record());
    std::string directory, mode, listed, parameters;
    std::getline(record, directory);
    std::getline(record, mode);
    std::getline(record, listed);
    std::getline(record, parameters);
    EXPECT_EQ(0u, directory.rfind(root_ + "/runtime/cdinst-", 0)) << directory;
    EXPECT_EQ("700", mode);
    EXPECT_EQ("DADOS", listed);
    EXPECT_EQ("T D:\\ P 1 *.*", parameters);
    EXPECT_TRUE(RuntimeIsEmpty()) << c.end;
  }
}

TEST_F(PrivateRunTest, AFailedLayoutStartsNothingAndLeavesNothing) {
  const auto failing = [](const std::string& directory) {
    LayOutReadOnly(directory);
    throw std::runtime_error("bad record");
  };
  EXPECT_THROW(RunOverPrivateDrive(failing, {"T", "D:\\", "P", "1", "*.*"}), std::runtime_error);
  EXPECT_FALSE(fs::exists(root_ + "/record"));
  EXPECT_TRUE(RuntimeIsEmpty());
}

TEST_F(PrivateRunTest, TheDriveGoesUnderTheRuntimeDirectoryElseTheTemporaryOne) {
  const struct {
    std::optional<std::string> runtime, temporary;
    std::string parent;
  } cases[] = {
      {"/run/user/1", "/var/tmp", "/run/user/1"},
      {"", "/var/tmp", "/var/tmp"},
      {std::nullopt, "", "/tmp"},
      {std::nullopt, std::nullopt, "/tmp"},
  };
  for (const auto& c : cases) {
    environment_.Set("XDG_RUNTIME_DIR", c.runtime);
    environment_.Set("TMPDIR", c.temporary);
    EXPECT_EQ(c.parent, PrivateDriveParent());
  }
}

}  // namespace
}  // namespace cdinst::menu
