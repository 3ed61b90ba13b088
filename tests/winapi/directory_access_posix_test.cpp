// A directory the user may not search cannot be entered, and one the user may not read or search
// cannot be listed, as on Windows: the calls fail with ERROR_ACCESS_DENIED, also where a listing
// made while it was allowed is kept. Root may do anything, so the calls are made as an ordinary
// user.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ordinary_user.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr int kCannotDrop = 77;

struct Refusal {
  mode_t mode;
  DWORD enterError;
  DWORD listError;
};

// The mismatches, one line each; called as the user the directories belong to.
std::string Mismatches(const ScratchPrefix& prefix) {
  const Refusal refusals[] = {{0000, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
                              {0644, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
                              {0311, 0, ERROR_ACCESS_DENIED}};
  std::string mismatches;
  for (const Refusal& refusal : refusals) {
    const std::string directory = "C:\\LOCKED" + std::to_string(refusal.mode);
    prefix.MakeDirectory(directory);
    for (int n = 0; n < 40; ++n) prefix.WriteFile(directory + "\\F" + std::to_string(n), "x");
    Search(directory + "\\*");  // enough entries to be kept between searches
    chmod(prefix.Unix(directory).c_str(), refusal.mode);
    const DWORD entered = ChangeDirectoryError(directory);
    const DWORD listed = Search(directory + "\\*").error;
    if (entered != refusal.enterError || listed != refusal.listError) {
      mismatches += directory + ": entering " + std::to_string(entered) + ", listing " +
                    std::to_string(listed) + "\n";
    }
    chmod(prefix.Unix(directory).c_str(), 0755);  // so that the fixture can remove it
  }
  return mismatches;
}

bool BecomeOrdinaryUser(const std::string& scratch) {
  if (geteuid() != 0) return true;
  return GiveToOrdinaryUser(scratch) && setgroups(0, nullptr) == 0 &&
         setresgid(kOrdinaryUser, kOrdinaryUser, kOrdinaryUser) == 0 &&
         setresuid(kOrdinaryUser, kOrdinaryUser, kOrdinaryUser) == 0;
}

TEST(DirectoryAccessTest, DirectoriesTheUserMayNotSearchOrReadAreRefused) {
  ScratchPrefix prefix;
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(report[0]);
    if (!BecomeOrdinaryUser(prefix.Directory())) _exit(kCannotDrop);
    const std::string mismatches = Mismatches(prefix);
    const bool written = write(report[1], mismatches.data(), mismatches.size()) ==
                         static_cast<ssize_t>(mismatches.size());
    _exit(written ? 0 : 1);  // the fixture's directory is the parent's to remove
  }
  close(report[1]);
  std::string mismatches;
  char buffer[512];
  for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) {
    mismatches.append(buffer, static_cast<size_t>(got));
  }
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDrop) {
    GTEST_SKIP() << "cannot become an ordinary user, and root may enter any directory";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(mismatches, "");
}

}  // namespace
}  // namespace cdinst::testing
