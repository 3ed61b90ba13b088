// Paths are resolved through directories the emulation holds open between calls, and a path
// named again is not taken apart again: whatever happens to a directory on the way or to a
// drive's entry, by any process, a call must find what a fresh walk of the path would.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

// The file's bytes read through the emulation, or "error N" with the open's code.
std::string Read(const std::string& path) {
  const ScopedHandle file(OpenForTest(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  if (!file.Valid()) return "error " + std::to_string(GetLastError());
  char buffer[64];
  DWORD read = 0;
  if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return "read failed";
  return std::string(buffer, read);
}

// Twice, so that the second call goes through what the first one kept.
std::string ReadTwice(const std::string& path) {
  const std::string first = Read(path);
  const std::string second = Read(path);
  return first == second ? second : first + " then " + second;
}

// Runs `work` in a child process, which has its own copy of the caches.
bool InChild(void (*work)(const ScratchPrefix&), const ScratchPrefix& prefix) {
  const pid_t child = fork();
  if (child == 0) {
    work(prefix);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class OpenDirectoriesTest : public ::testing::Test {
 protected:
  ScratchPrefix prefix_;
};

TEST_F(OpenDirectoriesTest, ADirectoryOnTheWayMovedOrReplacedIsFollowed) {
  prefix_.WriteFile("C:\\A\\B\\C\\F.TXT", "velho");
  ASSERT_EQ(ReadTwice("C:\\A\\B\\C\\F.TXT"), "velho");
  fs::rename(prefix_.Unix("C:\\A\\B"), prefix_.Unix("C:\\A\\X"));
  EXPECT_EQ(ReadTwice("C:\\A\\B\\C\\F.TXT"), "error 3");
  EXPECT_EQ(ReadTwice("C:\\A\\X\\C\\F.TXT"), "velho");
  prefix_.WriteFile("C:\\A\\B\\C\\F.TXT", "novo");
  EXPECT_EQ(ReadTwice("C:\\A\\B\\C\\F.TXT"), "novo");
  // The top directory goes, and another one takes its name.
  fs::remove_all(prefix_.Unix("C:\\A"));
  EXPECT_EQ(ReadTwice("C:\\A\\X\\C\\F.TXT"), "error 3");
  prefix_.WriteFile("C:\\A\\X\\C\\F.TXT", "outro");
  EXPECT_EQ(ReadTwice("C:\\A\\X\\C\\F.TXT"), "outro");
  // Relative names resolve through the same directories.
  ASSERT_EQ(ChangeDirectoryError("C:\\A\\X"), 0u);
  EXPECT_EQ(ReadTwice("C\\F.TXT"), "outro");
  fs::rename(prefix_.Unix("C:\\A\\X\\C"), prefix_.Unix("C:\\A\\X\\D"));
  EXPECT_EQ(ReadTwice("C\\F.TXT"), "error 3");
  EXPECT_EQ(ReadTwice("D\\F.TXT"), "outro");
}

// A spelling that matched only without regard to case gives way to an exact match made later.
TEST_F(OpenDirectoriesTest, AnotherCaseFollowsTheEntriesOfItsDirectory) {
  prefix_.WriteFile("C:\\Pasta\\F.TXT", "misto");
  ASSERT_EQ(ReadTwice("C:\\PASTA\\F.TXT"), "misto");
  prefix_.WriteFile("C:\\PASTA\\F.TXT", "exato");
  EXPECT_EQ(ReadTwice("C:\\PASTA\\F.TXT"), "exato");
  EXPECT_EQ(ReadTwice("C:\\Pasta\\F.TXT"), "misto");
  fs::remove_all(prefix_.Unix("C:\\PASTA"));
  EXPECT_EQ(ReadTwice("C:\\PASTA\\F.TXT"), "misto");
}

TEST_F(OpenDirectoriesTest, ADriveMappedAnewIsFollowedAtOnce) {
  const std::string first = prefix_.MapDrive('E');
  const std::string second = prefix_.Directory() + "/outra";
  fs::create_directories(second);
  prefix_.WriteFile("E:\\F.TXT", "primeira");
  ASSERT_EQ(ReadTwice("E:\\F.TXT"), "primeira");
  prefix_.MapDrive('E', second);
  EXPECT_EQ(ReadTwice("E:\\F.TXT"), "error 2");
  prefix_.WriteFile("E:\\F.TXT", "segunda");
  EXPECT_EQ(ReadTwice("E:\\F.TXT"), "segunda");
  // The drive's own directory moved away: its entry now leads nowhere.
  fs::rename(second, prefix_.Directory() + "/movida");
  EXPECT_EQ(ReadTwice("E:\\F.TXT"), "error 3");
  fs::remove(prefix_.PrefixDirectory() + "/dosdevices/e:");
  EXPECT_EQ(ReadTwice("E:\\F.TXT"), "error 3");
  prefix_.MapDrive('E', first);
  EXPECT_EQ(ReadTwice("E:\\F.TXT"), "primeira");
}

TEST_F(OpenDirectoriesTest, ALinkOnTheWayIsFollowedWhereverItLeads) {
  prefix_.WriteFile("C:\\UM\\F.TXT", "um");
  prefix_.WriteFile("C:\\DOIS\\F.TXT", "dois");
  const std::string link = prefix_.Unix("C:\\ELO");
  fs::create_directory_symlink(prefix_.Unix("C:\\UM"), link);
  ASSERT_EQ(ReadTwice("C:\\ELO\\F.TXT"), "um");
  fs::remove(link);
  fs::create_directory_symlink(prefix_.Unix("C:\\DOIS"), link);
  EXPECT_EQ(ReadTwice("C:\\ELO\\F.TXT"), "dois");
  // The link stays; what it names moves.
  fs::rename(prefix_.Unix("C:\\DOIS"), prefix_.Unix("C:\\TRES"));
  EXPECT_EQ(ReadTwice("C:\\ELO\\F.TXT"), "error 3");
}

// Another name in the directory of a path just resolved is looked up in that directory, which
// must still be the one the text names.
TEST_F(OpenDirectoriesTest, NamesBesideAPathJustResolvedFollowTheirDirectory) {
  prefix_.WriteFile("C:\\A\\B\\UM.TXT", "um");
  prefix_.WriteFile("C:\\A\\B\\DOIS.TXT", "dois");
  ASSERT_EQ(ReadTwice("C:\\A\\B\\UM.TXT"), "um");
  fs::rename(prefix_.Unix("C:\\A\\B"), prefix_.Unix("C:\\A\\X"));
  EXPECT_EQ(Read("C:\\A\\B\\DOIS.TXT"), "error 3");
  EXPECT_EQ(Read("C:\\A\\X\\DOIS.TXT"), "dois");
  // The same name in other spellings of the directory, and names that are not plain.
  EXPECT_EQ(Read("C:\\A\\X\\UM.TXT. "), "um");
  EXPECT_EQ(Read("C:\\A\\X\\\\UM.TXT"), "um");
  EXPECT_EQ(Read("C:\\A\\X\\..\\X\\UM.TXT"), "um");
  EXPECT_EQ(AttributesError("C:\\A\\X\\.."), 0u);
  EXPECT_EQ(AttributesError("C:\\A\\X\\UM?.TXT"), DWORD{ERROR_INVALID_NAME});
  EXPECT_EQ(Read("C:\\A\\X\\TRES.TXT"), "error 2");
}

// A directory walked through is kept with what stat(2) said of it; a change of its permissions
// shows at once.
TEST_F(OpenDirectoriesTest, AKeptDirectoryMadeReadOnlyShowsItAtOnce) {
  prefix_.WriteFile("C:\\A\\B\\F.TXT", "f");
  ASSERT_EQ(ReadTwice("C:\\A\\B\\F.TXT"), "f");
  const DWORD writable = GetFileAttributesA("C:\\A\\B");
  ASSERT_EQ(writable, DWORD{FILE_ATTRIBUTE_DIRECTORY});
  fs::permissions(prefix_.Unix("C:\\A\\B"), fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(GetFileAttributesA("C:\\A\\B"),
            DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY});
  fs::permissions(prefix_.Unix("C:\\A\\B"), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(GetFileAttributesA("C:\\A\\B"), writable);
  // Replaced by a file of the same name.
  fs::remove_all(prefix_.Unix("C:\\A\\B"));
  prefix_.WriteFile("C:\\A\\B", "agora arquivo");
  EXPECT_EQ(GetFileAttributesA("C:\\A\\B"), DWORD{FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(ChangeDirectoryError("C:\\A\\B"), DWORD{ERROR_DIRECTORY});
}

void ReadElsewhere(const ScratchPrefix&) { EXPECT_EQ(ReadTwice("C:\\OUTRO\\F.TXT"), "outro"); }

void MoveTheTree(const ScratchPrefix& prefix) {
  fs::rename(prefix.Unix("C:\\A\\B"), prefix.Unix("C:\\A\\FILHO"));
}

// A child's caches are its own: the reports it reads and the directories it lets go leave the
// parent's whole, and what it changes the parent sees.
TEST_F(OpenDirectoriesTest, AChildsWorkLeavesTheParentSeeingEveryChange) {
  prefix_.WriteFile("C:\\A\\B\\F.TXT", "antes");
  prefix_.WriteFile("C:\\OUTRO\\F.TXT", "outro");
  ASSERT_EQ(ReadTwice("C:\\A\\B\\F.TXT"), "antes");
  fs::rename(prefix_.Unix("C:\\A\\B"), prefix_.Unix("C:\\A\\PAI"));
  ASSERT_TRUE(InChild(ReadElsewhere, prefix_));
  EXPECT_EQ(ReadTwice("C:\\A\\B\\F.TXT"), "error 3");
  EXPECT_EQ(ReadTwice("C:\\A\\PAI\\F.TXT"), "antes");
  fs::rename(prefix_.Unix("C:\\A\\PAI"), prefix_.Unix("C:\\A\\B"));
  ASSERT_EQ(ReadTwice("C:\\A\\B\\F.TXT"), "antes");
  ASSERT_TRUE(InChild(MoveTheTree, prefix_));
  EXPECT_EQ(ReadTwice("C:\\A\\B\\F.TXT"), "error 3");
  EXPECT_EQ(ReadTwice("C:\\A\\FILHO\\F.TXT"), "antes");
}

// More directories than are kept open at once: the oldest go, and all still resolve rightly.
TEST_F(OpenDirectoriesTest, MoreDirectoriesThanAreKeptStillResolve) {
  constexpr int kDirectories = 600;
  for (int n = 0; n < kDirectories; ++n) {
    prefix_.WriteFile("C:\\MUITOS\\D" + std::to_string(n) + "\\F.TXT", std::to_string(n));
  }
  for (int n = 0; n < kDirectories; ++n) {
    ASSERT_EQ(Read("C:\\MUITOS\\D" + std::to_string(n) + "\\F.TXT"), std::to_string(n));
  }
  for (int n = 0; n < kDirectories; n += 7) {
    const std::string from = prefix_.Unix("C:\\MUITOS\\D" + std::to_string(n));
    fs::rename(from, from + "X");
  }
  for (int n = 0; n < kDirectories; ++n) {
    const std::string name = "C:\\MUITOS\\D" + std::to_string(n) + "\\F.TXT";
    EXPECT_EQ(Read(name), n % 7 == 0 ? "error 3" : std::to_string(n)) << name;
  }
}

}  // namespace
}  // namespace cdinst::testing
