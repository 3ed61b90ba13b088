#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <tuple>

#include "codepage/windows1252.h"
#include "listing_fixture.h"
#include "platform/io_error.h"

namespace cdinst {
namespace {

using testing::EntriesOf;
using testing::NamesOf;
using testing::Texts;

class ListingsTest : public ::testing::Test {
 protected:
  ListingsTest() {
    for (const char* directory : {"Help", "dados", ".cache"}) {
      prefix_.MakeDirectory(std::string("D:\\PROGS\\EDITOR\\") + directory);
    }
    for (const char* file : {"LEIAME.TXT", "EDITOR.EXE", ".oculto"}) {
      prefix_.WriteFile(std::string("D:\\PROGS\\EDITOR\\") + file, "x");
    }
    prefix_.MakeDirectory("C:\\WINDOWS");
    prefix_.MakeDirectory("C:\\Arquivos");
  }

  testing::ScratchPrefix prefix_;
  testing::StartAt start_{"C:\\"};
  HostWindow host_;
  testing::LinkedListings lists_{host_};
  FileNameList& files_ = lists_.files;
  DirectoryTreeList& tree_ = lists_.tree;
};

TEST_F(ListingsTest, MoveListsLevelsThenVisibleSubdirectoriesAndMovesTheFileList) {
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help"}));
  EXPECT_EQ(tree_.CurrentLevel(), 2);
  EXPECT_EQ(tree_.Directory(), "D:\\PROGS\\EDITOR");
  EXPECT_EQ(files_.Directory(), "D:\\PROGS\\EDITOR");
  EXPECT_EQ(CurrentDirectory(), "D:\\PROGS\\EDITOR");
  EXPECT_FALSE(tree_.CaseSensitiveVolume());
  EXPECT_EQ(NamesOf(files_), (Texts{"EDITOR.EXE", "LEIAME.TXT"}));
}

// On a drive of its own: Windows' C:\\ holds more than the test made.
TEST_F(ListingsTest, DriveRootIsLevelZero) {
  prefix_.MapDrive('E');
  prefix_.MakeDirectory("E:\\WINDOWS");
  prefix_.MakeDirectory("E:\\Arquivos");
  tree_.MoveTo("E:\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"E:\\", "Arquivos", "WINDOWS"}));
  EXPECT_EQ(tree_.CurrentLevel(), 0);
  EXPECT_EQ(files_.Directory(), "E:\\");
}

// Twins that a file system takes for one name: the second is marked so that its copy fails,
// rather than merge into the first or overwrite it.
TEST_F(ListingsTest, NamesThatDifferInLetterCaseAloneMarkTheSecond) {
  prefix_.MakeDirectory("D:\\PROGS\\EDITOR\\DADOS");  // second Unix directories
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\leiame.txt", "y");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\Editor.exe", "y");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "DADOS", "dado?", "Help"}));
  EXPECT_EQ(NamesOf(files_), (Texts{"EDITOR.EXE", "Editor.ex?", "LEIAME.TXT", "leiame.tx?"}));
}

// Accents weigh after the base letters, hyphens last, and "\xDF" is "ss": of an equal pair of
// folders, only the one the search reports first is kept.
TEST_F(ListingsTest, NamesSortAndCompareAsTheLocaleDoes) {
  for (const char* name : {"zulu",
                           "\xE9"
                           "bano",
                           "co-op", "coop",
                           "stra\xDF"
                           "e",
                           "strasse"}) {
    prefix_.MakeDirectory(std::string("D:\\S\\") + name);
    prefix_.WriteFile(std::string("D:\\S\\") + name + ".txt", "x");
  }
  tree_.MoveTo("D:\\S\\");
  const Texts entries = EntriesOf(tree_);
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(Texts(entries.begin() + 2, entries.begin() + 5), (Texts{"coop", "co-op",
                                                                    "\xE9"
                                                                    "bano"}));
  EXPECT_TRUE(entries[5] == "strasse" || entries[5] ==
                                             "stra\xDF"
                                             "e")
      << entries[5];
  EXPECT_EQ(entries[6], "zulu");
  const Texts files = NamesOf(files_);
  ASSERT_EQ(files.size(), 6u);
  EXPECT_EQ(Texts(files.begin(), files.begin() + 3), (Texts{"coop.txt", "co-op.txt",
                                                            "\xE9"
                                                            "bano.txt"}));
  EXPECT_EQ(files[5], "zulu.txt");
}

TEST_F(ListingsTest, MaskPatternsAreSearchedInTurnIntoOneOrder) {
  for (const char* file : {"A.EXE", "b.dll", "C.EXE", "d.DLL", "notas.txt", "LEIAME.TXT"}) {
    prefix_.WriteFile(std::string("D:\\M\\") + file, "x");
  }
  files_.MoveTo("D:\\M\\");
  files_.ChangeMask("*.EXE;*.DLL");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.EXE", "b.dll", "C.EXE", "d.DLL"}));
  files_.ChangeMask("*.*;*.TXT");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.EXE", "b.dll", "C.EXE", "d.DLL", "LEIAME.TXT", "LEIAME.TXT",
                                    "notas.txt", "notas.txt"}));
  files_.ChangeMask("*.BAK;;*.EXE");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.EXE", "C.EXE"}));
  files_.ChangeMask("");
  EXPECT_EQ(files_.Count(), 0);
  files_.ChangeMask(";");
  EXPECT_EQ(files_.Count(), 0);
}

// Reading enters Directory, so the current directory shows when a reading took place.
TEST_F(ListingsTest, NamesAreReadAtFirstUseThenAtEveryChange) {
  prefix_.WriteFile("D:\\L\\A.TXT", "x");
  files_.MoveTo("D:\\L\\");
  EXPECT_EQ(CurrentDirectory(), "D:\\L");
  ChangeDirectory("C:\\");
  files_.ChangeMask("*.TXT");
  EXPECT_EQ(CurrentDirectory(), "C:\\");
  prefix_.WriteFile("D:\\L\\B.TXT", "x");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.TXT", "B.TXT"}));
  EXPECT_EQ(CurrentDirectory(), "D:\\L");

  ChangeDirectory("C:\\");
  prefix_.WriteFile("D:\\L\\C.TXT", "x");
  files_.ChangeMask("*.TXT");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.TXT", "B.TXT"}));
  EXPECT_EQ(CurrentDirectory(), "C:\\");
  files_.ChangeMask("*.txt");
  EXPECT_EQ(CurrentDirectory(), "D:\\L");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.TXT", "B.TXT", "C.TXT"}));
}

// Coming back to a directory answers from its last listing only while nothing in it changed. Only a
// directory of many entries is kept at all, so the walk is taken once as it is and once with enough
// hidden files for it to be kept, and each time with the directory watched from its first listing
// on, as where a copy starts, and without.
class ComingBackTest : public ListingsTest,
                       public ::testing::WithParamInterface<std::tuple<size_t, bool>> {
 protected:
  ComingBackTest() {
    for (size_t i = 0; i < std::get<0>(GetParam()); ++i) {
      prefix_.WriteFile("D:\\PROGS\\EDITOR\\.p" + std::to_string(i), "");
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Sizes, ComingBackTest,
                         ::testing::Combine(::testing::Values(0, ListingCache::kCachedFromEntries),
                                            ::testing::Bool()));

TEST_P(ComingBackTest, ListsWhatIsThereNow) {
  const Texts levels{"D:\\", "PROGS", "EDITOR"};
  tree_.MoveTo("D:\\PROGS\\EDITOR\\", std::get<1>(GetParam()));
  ASSERT_EQ(NamesOf(files_), (Texts{"EDITOR.EXE", "LEIAME.TXT"}));
  tree_.MoveTo("D:\\PROGS\\EDITOR\\Help\\");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help"}));
  tree_.MoveTo("D:\\PROGS\\EDITOR\\dados\\");
  prefix_.MakeDirectory("D:\\PROGS\\EDITOR\\Novo");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\NOVO.TXT", "x");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help", "Novo"}));
  EXPECT_EQ(NamesOf(files_), (Texts{"EDITOR.EXE", "LEIAME.TXT", "NOVO.TXT"}));
  // Another directory of the same name in its place. The walk holds it, on the way to the
  // current directory (and, when kept, for its listing), so it is still the one entered and
  // listed, as on Windows, which would refuse the rename; once the walk lets it go, the other is.
  tree_.MoveTo("D:\\PROGS\\EDITOR\\dados\\");
  std::filesystem::rename(prefix_.Unix("D:\\PROGS\\EDITOR"), prefix_.Unix("D:\\PROGS\\VELHO"));
  prefix_.MakeDirectory("D:\\PROGS\\EDITOR\\Outra");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\OUTRO.TXT", "x");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help", "Novo"}));
  EXPECT_EQ(NamesOf(files_), (Texts{"EDITOR.EXE", "LEIAME.TXT", "NOVO.TXT"}));
  tree_.MoveTo("D:\\PROGS\\");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "Outra"}));
  EXPECT_EQ(NamesOf(files_), (Texts{"OUTRO.TXT"}));
  // A subdirectory made hidden leaves the listing.
  tree_.MoveTo("D:\\PROGS\\EDITOR\\Outra\\");
  std::filesystem::rename(prefix_.Unix("D:\\PROGS\\EDITOR\\Outra"),
                          prefix_.Unix("D:\\PROGS\\EDITOR\\.Outra"));
  tree_.MoveTo("D:\\PROGS\\");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR"}));
}

// A pattern with a path searches another directory, which no watch on Directory covers.
TEST_F(ListingsTest, PatternsWithAPathAreSearchedAfreshEveryTime) {
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\dados\\A.DAT", "x");
  files_.ChangeMask("dados\\*.DAT");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  ASSERT_EQ(NamesOf(files_), (Texts{"A.DAT"}));
  tree_.MoveTo("D:\\PROGS\\EDITOR\\Help\\");
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\dados\\B.DAT", "x");
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(NamesOf(files_), (Texts{"A.DAT", "B.DAT"}));
}

TEST_F(ListingsTest, NewTreeListsItsStartingDirectoryAtFirstUse) {
  ChangeDirectory("D:\\PROGS\\EDITOR");
  DirectoryTreeList tree(host_);
  ChangeDirectory("C:\\");
  EXPECT_EQ(tree.CurrentLevel(), 2);
  EXPECT_EQ(EntriesOf(tree), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help"}));
}

TEST_F(ListingsTest, FailedMoveChangesNothing) {
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  const Texts names = NamesOf(files_);
  ChangeDirectory("C:\\Arquivos");
  for (const char* path : {"D:\\PROGS\\FALTA\\", "D:\\PROGS\\EDITOR\\EDITOR.EXE\\", "Q:\\X\\"}) {
    EXPECT_THROW(tree_.MoveTo(path), IoError) << path;
    EXPECT_EQ(CurrentDirectory(), "C:\\Arquivos") << path;
    EXPECT_EQ(tree_.Directory(), "D:\\PROGS\\EDITOR");
    EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help"}));
    EXPECT_EQ(tree_.CurrentLevel(), 2);
    EXPECT_EQ(tree_.FileList(), &files_);
    EXPECT_EQ(files_.Directory(), "D:\\PROGS\\EDITOR");
    EXPECT_EQ(NamesOf(files_), names);
  }
}

// A new subdirectory on the disk shows whether the list was read again.
TEST_F(ListingsTest, MoveToItsOwnDirectoryDoesNothingUnlessSpelledWithBackslash) {
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  prefix_.MakeDirectory("D:\\PROGS\\EDITOR\\Novo");
  ChangeDirectory("C:\\");
  tree_.MoveTo("d:\\progs\\Editor");
  EXPECT_EQ(CurrentDirectory(), "C:\\");
  EXPECT_EQ(tree_.Count(), 5);
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(CurrentDirectory(), "D:\\PROGS\\EDITOR");
  EXPECT_EQ(EntriesOf(tree_), (Texts{"D:\\", "PROGS", "EDITOR", "dados", "Help", "Novo"}));

  tree_.MoveTo("C:\\");
  ChangeDirectory("D:\\PROGS");
  tree_.MoveTo("c:\\");
  EXPECT_EQ(CurrentDirectory(), "D:\\PROGS");
}

TEST_F(ListingsTest, LinkMovesNothingAndUnlinkedListStays) {
  FileNameList files(host_);
  DirectoryTreeList tree(host_);
  tree.SetFileList(&files);
  EXPECT_EQ(files.Directory(), "C:\\");
  tree.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_EQ(files.Directory(), "D:\\PROGS\\EDITOR");
  tree.SetFileList(nullptr);
  tree.MoveTo("C:\\");
  EXPECT_EQ(files.Directory(), "D:\\PROGS\\EDITOR");
  EXPECT_EQ(tree.FileList(), nullptr);
}

TEST_F(ListingsTest, IndexOutsideTheListRaisesAndChangesNothing) {
  tree_.MoveTo("D:\\PROGS\\EDITOR\\");
  EXPECT_THROW(tree_.Entry(-1), std::out_of_range);
  EXPECT_THROW(tree_.Entry(5), std::out_of_range);
  EXPECT_THROW(files_.Name(2), std::out_of_range);
  EXPECT_THROW(files_.Name(-1), std::out_of_range);
  EXPECT_EQ(tree_.Count(), 5);
  EXPECT_EQ(files_.Name(1), "LEIAME.TXT");
}

}  // namespace
}  // namespace cdinst
