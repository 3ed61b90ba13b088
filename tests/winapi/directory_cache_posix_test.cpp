// Lookups in another letter case, and by hashed short name, go through listings the emulation
// keeps between calls: whatever changes a directory, they must answer as a fresh read would.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "codepage/windows1252.h"
#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/posix/paths/short_names.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolder = "C:\\PASTA";

// The name, as on disk, of the entry the Windows name `name` in the folder stands for; empty
// when there is none.
std::string Found(const std::string& name) {
  const SearchResult result = Search(std::string(kFolder) + "\\" + name);
  return result.entries.size() == 1 ? result.entries[0].cFileName : "";
}

// Through the emulation.
bool Create(const std::string& name) {
  const ScopedHandle file(
      OpenForTest(std::string(kFolder) + "\\" + name, GENERIC_WRITE, 0, CREATE_NEW));
  return file.Valid();
}

// Through the emulation too, in a child process that has its own copy of the cache.
bool ChildCreated(const std::string& name) {
  const pid_t child = fork();
  if (child == 0) _exit(Found(name).empty() && Create(name) ? 0 : 1);
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool CreateFolder(const std::string& name) {
  return CreateDirectoryError(std::string(kFolder) + "\\" + name) == 0;
}

// What another program does once the emulation has read the folder of inode `folder`.
struct AfterReading {
  ino_t folder = 0;
  std::function<void()> action;
};

AfterReading& Pending() {
  static AfterReading pending;
  return pending;
}

class DirectoryCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateDirectoryError(kFolder), 0u);
    ASSERT_TRUE(Create("Primeiro.txt"));
    unixFolder_ = prefix_.Unix(kFolder);
    // Lookups that miss leave the folder's listing, short names included, in the cache.
    ASSERT_EQ(Found("NADA.TXT"), "");
    ASSERT_EQ(Found("NADA~XYZ.TXT"), "");
  }

  // Behind the emulation's back; `name` is a Unix name.
  void Touch(const std::string& name) const {
    std::ofstream(unixFolder_ + "/" + name, std::ios::binary) << "x";
  }
  void Remove(const std::string& name) const { ASSERT_TRUE(fs::remove(unixFolder_ + "/" + name)); }

  ScratchPrefix prefix_;
  std::string unixFolder_;
};

TEST_F(DirectoryCacheTest, EntriesMadeElsewhereAreFoundInAnyCaseAtOnce) {
  EXPECT_EQ(Found("PRIMEIRO.TXT"), "Primeiro.txt");
  EXPECT_EQ(Found("SEGUNDO.TXT"), "");
  Touch("segundo.TXT");
  EXPECT_EQ(Found("SEGUNDO.TXT"), "segundo.TXT");
  Touch("a\xC3\xA7\xC3\xA3o.txt");  // "ação" on disk
  EXPECT_EQ(Found("A\xC7\xC3O.TXT"), "a\xE7\xE3o.txt");

  ASSERT_TRUE(ChildCreated("Terceiro.txt"));
  EXPECT_EQ(Found("TERCEIRO.TXT"), "Terceiro.txt");
  EXPECT_EQ(AttributesError("C:\\pasta\\terceiro.TXT"), 0u);
}

TEST_F(DirectoryCacheTest, RemovedAndRecreatedEntriesAreSeenAtOnce) {
  Touch("Dados.txt");
  EXPECT_EQ(Found("DADOS.TXT"), "Dados.txt");
  Remove("Dados.txt");
  EXPECT_EQ(Found("DADOS.TXT"), "");
  EXPECT_EQ(AttributesError("C:\\PASTA\\DADOS.TXT"), DWORD{ERROR_FILE_NOT_FOUND});
  Touch("dados.TXT");
  EXPECT_EQ(Found("DADOS.TXT"), "dados.TXT");
  // The entry found before is still there, but a lower Unix name now shares its folded name.
  Touch("DADOS.txt");
  EXPECT_EQ(Found("Dados.Txt"), "DADOS.txt");
  Remove("DADOS.txt");
  EXPECT_EQ(Found("Dados.Txt"), "dados.TXT");
}

// Another process makes, renames and removes a name between two calls: the next call sees each
// change, whether the path is spelled as on disk (tried in one system call) or in another
// letter case (looked up through the listing).
TEST_F(DirectoryCacheTest, ChangesByAnotherProcessAreSeenAtTheNextCall) {
  const auto inChild = [](const std::function<bool()>& change) {
    const pid_t child = fork();
    if (child == 0) _exit(change() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  };
  const std::string made = unixFolder_ + "/Novo.txt";
  const std::string renamed = unixFolder_ + "/Outro.txt";
  for (const std::string folder : {"C:\\PASTA\\", "C:\\pasta\\"}) {
    for (const std::string name : {"Novo.txt", "NOVO.TXT"}) {
      const std::string other = folder + (name == "Novo.txt" ? "Outro.txt" : "OUTRO.TXT");
      EXPECT_EQ(AttributesError(folder + name), DWORD{ERROR_FILE_NOT_FOUND});
      inChild([&] { return std::ofstream(made).good(); });
      EXPECT_EQ(AttributesError(folder + name), 0u) << folder + name;
      inChild([&] { return rename(made.c_str(), renamed.c_str()) == 0; });
      EXPECT_EQ(AttributesError(folder + name), DWORD{ERROR_FILE_NOT_FOUND}) << folder + name;
      EXPECT_EQ(AttributesError(other), 0u) << other;
      inChild([&] { return unlink(renamed.c_str()) == 0; });
      EXPECT_EQ(AttributesError(other), DWORD{ERROR_FILE_NOT_FOUND}) << other;
    }
  }
}

TEST_F(DirectoryCacheTest, OwnAndOtherCreationsInterleavedAreAllFound) {
  ASSERT_TRUE(Create("Quarto.txt"));
  EXPECT_EQ(Found("qUARTO.TXT"), "Quarto.txt");
  Touch("quinto.txt");
  ASSERT_TRUE(Create("Sexto.txt"));
  ASSERT_TRUE(ChildCreated("Setimo.txt"));
  ASSERT_TRUE(Create("Oitavo.txt"));
  EXPECT_EQ(CreateDirectoryError("C:\\PASTA\\Nono"), 0u);
  Touch("DECIMO.TXT");
  EXPECT_FALSE(Create("QUINTO.TXT"));  // exists, in another case
  const std::pair<const char*, const char*> lookups[] = {{"pRIMEIRO.TXT", "Primeiro.txt"},
                                                         {"qUARTO.TXT", "Quarto.txt"},
                                                         {"QUINTO.txt", "quinto.txt"},
                                                         {"sexto.TXT", "Sexto.txt"},
                                                         {"SETIMO.TXT", "Setimo.txt"},
                                                         {"oitavo.TXT", "Oitavo.txt"},
                                                         {"NONO", "Nono"},
                                                         {"Decimo.txt", "DECIMO.TXT"}};
  for (const auto& [wanted, onDisk] : lookups) EXPECT_EQ(Found(wanted), onDisk) << wanted;
}

TEST_F(DirectoryCacheTest, HashedShortNamesFollowTheDirectory) {
  Touch("Long File Name.txt");
  EXPECT_EQ(Found("LONG~5R1.TXT"), "Long File Name.txt");
  EXPECT_EQ(Found("long~5r1.txt"), "Long File Name.txt");
  ASSERT_TRUE(Create("Nome Comprido.doc"));
  EXPECT_EQ(Found(posix::HashedShortName("Nome Comprido.doc")), "Nome Comprido.doc");
  Remove("Long File Name.txt");
  EXPECT_EQ(Found("LONG~5R1.TXT"), "");
}

TEST_F(DirectoryCacheTest, TheLowestUnixNameWinsASharedShortName) {
  ASSERT_EQ(posix::HashedShortName("Relatorio 2118.txt"), "RELA~WUJ.TXT");
  ASSERT_EQ(posix::HashedShortName("Relatorio 3002.txt"), "RELA~WUJ.TXT");
  Touch("Relatorio 3002.txt");
  EXPECT_EQ(Found("RELA~WUJ.TXT"), "Relatorio 3002.txt");
  ASSERT_TRUE(Create("Relatorio 2118.txt"));
  EXPECT_EQ(Found("RELA~WUJ.TXT"), "Relatorio 2118.txt");
}

// Lookups by short name are only tried for names shaped like one: no shape may be left out.
TEST_F(DirectoryCacheTest, EveryShapeOfHashedShortNameFindsItsEntry) {
  const char* const names[] = {
      "Program Files", "a.b.txt",   ".hidden", "x.txtx", "ab cd",
      "abcdefghi",     "page.html", "..x",     "a.bc.",  "\xE9t\xE9 muito.html",
      "trailing.",     "v1.2.3"};
  for (const char* name : names) Touch(Windows1252ToUtf8(name));
  for (const char* name : names) {
    const std::string shortName = posix::HashedShortName(name);
    EXPECT_EQ(Found(shortName), name) << shortName;
  }
}

// Another program makes a name right after the emulation first read a folder, for its own
// creation there: a later creation in another letter case finds that name.
TEST_F(DirectoryCacheTest, ANameMadeRightAfterAReadingIsFoundInAnyCase) {
  const std::pair<const char*, bool (*)(const std::string&)> creations[] = {
      {"file", Create}, {"folder", CreateFolder}};
  int round = 0;
  for (const auto& [ownKind, own] : creations) {
    for (const auto& [laterKind, later] : creations) {
      const std::string folder = "R" + std::to_string(++round);
      ASSERT_TRUE(CreateFolder(folder));
      struct stat made;
      ASSERT_EQ(stat((unixFolder_ + "/" + folder).c_str(), &made), 0);
      Pending() = {made.st_ino, [&] { Touch(folder + "/F0810.TXT"); }};
      ASSERT_TRUE(own(folder + "\\Meu"));
      ASSERT_FALSE(Pending().action) << "the folder was not read";
      EXPECT_FALSE(later(folder + "\\f0810.txt")) << ownKind << ", then " << laterKind;
      EXPECT_FALSE(fs::exists(unixFolder_ + "/" + folder + "/f0810.txt"));
    }
  }
}

// Through the current directory a creation, and an entry not spelled as on disk, ask the kept
// listing before the disk: where names differ only in letter case, each still takes the one
// spelled as given, as a lookup on disk would, and a twin in another case still counts.
TEST_F(DirectoryCacheTest, ThroughTheCurrentFolderTheSpellingAsGivenWinsAmongTwins) {
  Touch("Dados.txt");
  Touch("dados.txt");
  ASSERT_TRUE(fs::create_directory(unixFolder_ + "/Sub"));
  ASSERT_TRUE(fs::create_directory(unixFolder_ + "/sub"));
  ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
  {
    const ScopedHandle file(OpenForTest("dados.txt", GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.Valid());
  }
  EXPECT_EQ(fs::file_size(unixFolder_ + "/dados.txt"), 0u);
  EXPECT_EQ(fs::file_size(unixFolder_ + "/Dados.txt"), 1u);
  EXPECT_EQ(CreateDirectoryError("DADOS.TXT"), DWORD{ERROR_ALREADY_EXISTS});
  EXPECT_EQ(CreateDirectoryError("SUB"), DWORD{ERROR_ALREADY_EXISTS});
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
}

// As a restore would do it: the new folder gets the old one's modification time.
TEST_F(DirectoryCacheTest, AFolderReplacedUnderTheSameNameIsReadAgain) {
  Touch("velho.txt");
  EXPECT_EQ(Found("VELHO.TXT"), "velho.txt");
  const fs::file_time_type modified = fs::last_write_time(unixFolder_);
  fs::remove_all(unixFolder_);
  fs::create_directory(unixFolder_);
  Touch("novo.txt");
  fs::last_write_time(unixFolder_, modified);
  EXPECT_EQ(Found("VELHO.TXT"), "");
  EXPECT_EQ(Found("NOVO.TXT"), "novo.txt");
}

// A folder filled behind the emulation's back, its modification time then put back as tar or
// rsync would.
TEST_F(DirectoryCacheTest, AFolderWhoseTimeWasPutBackIsReadAgain) {
  const fs::file_time_type modified = fs::last_write_time(unixFolder_);
  Touch("restaurado.txt");
  fs::last_write_time(unixFolder_, modified);
  EXPECT_EQ(Found("RESTAURADO.TXT"), "restaurado.txt");
}

}  // namespace
}  // namespace cdinst::testing

// The emulation reads a folder with getdents64(2): a pending action runs when a reading of its
// folder ends.
extern "C" ssize_t getdents64(int directory, void* buffer, size_t length) {
  static const auto real =
      reinterpret_cast<ssize_t (*)(int, void*, size_t)>(dlsym(RTLD_NEXT, "getdents64"));
  const ssize_t got = real(directory, buffer, length);
  cdinst::testing::AfterReading& pending = cdinst::testing::Pending();
  struct stat info;
  if (got == 0 && pending.action && fstat(directory, &info) == 0 && info.st_ino == pending.folder) {
    std::exchange(pending.action, nullptr)();
  }
  return got;
}
