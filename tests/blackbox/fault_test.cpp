// Runs that meet a fault on purpose: an unreadable or odd source, a full disk, a shared index
// file held by someone else, hostile settings files, oversized parameters and paths, names the
// program cannot spell. Each must end without a crash, with the report the user is owed, the
// right exit code and nothing left that should not be there.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "install_boxes.h"
#include "medium_fixture.h"
#include "tree_snapshot.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

const std::string kNoDestination = Told("Destino da instala\xC3\xA7\xC3\xA3o n\xC3\xA3o definido");

// Files larger than `bytes` cannot be written by the programs started while it lives: the write
// that would pass the limit fails with EFBIG instead of killing the writer with SIGXFSZ. Both
// the limit and the ignored signal are inherited by the child.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit limit = saved_;
    limit.rlim_cur = bytes;
    allowed_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool Allowed() const { return allowed_; }

 private:
  struct rlimit saved_ {};
  void (*savedHandler_)(int) = SIG_DFL;
  bool allowed_ = false;
};

class FaultTest : public MediumTest {
 protected:
  FaultTest() {
    WriteEditorTree();
    prefix_.MakeDirectory("C:\\DUDERUR");
  }
  ProgramResult InstallEditor(const std::map<std::string, std::string>& environment = {}) {
    auto withAnswer = environment;
    withAnswer.emplace("CDINST_ANSWER", "yes");
    return RunProgram({kTitle, "D:\\", "EDITOR", "1", "*.*"}, withAnswer, prefix_.Directory());
  }
  Tree Installed() const { return Snapshot(prefix_.Unix(kDestination)); }
  Tree DriveC() const { return Snapshot(prefix_.Unix("C:\\")); }
  Tree EditorSource() const { return AsInstalled(Snapshot(prefix_.Unix("D:\\PROGS\\EDITOR"))); }
  void MakeFifo(const std::string& windowsPath) const {
    ASSERT_EQ(mkfifo(prefix_.Unix(windowsPath).c_str(), 0644), 0);
  }
  // A copy failure: the report, exit code 0 and an index left alone.
  void ExpectCopyError(const ProgramResult& result) const {
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kCopyError}));
    EXPECT_FALSE(prefix_.Exists(kIndex));
  }
};

// A FIFO has no size that says what reading it gives, and opening one could wait for a writer
// for ever; it is refused like a directory where a file is expected.
TEST_F(FaultTest, FifoInTheSourceFailsTheCopyWithoutWaiting) {
  MakeFifo("D:\\PROGS\\EDITOR\\DADOS.DAT");
  ExpectCopyError(InstallEditor());
  EXPECT_FALSE(prefix_.Exists(kDestination));
}

TEST_F(FaultTest, SettingsFileThatIsAFifoCountsAsMissing) {
  std::filesystem::remove(prefix_.Unix("D:\\DADOS\\PROGS.INI"));
  MakeFifo("D:\\DADOS\\PROGS.INI");
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, Lines{kNoDestination});
  EXPECT_FALSE(prefix_.Exists("C:\\Arquivos de programas"));
}

// A failed run takes away what it made and nothing else: the destination level, its folders and
// its files. A retry then finds no half-filled folder to pass over.
TEST_F(FaultTest, FailedCopyLeavesOnlyWhatWasThereAndARetryInstallsEverything) {
  prefix_.WriteFile("C:\\Arquivos de programas\\OUTRO.TXT", "de outro programa");
  const Tree before = DriveC();
  // A read failing part way, the disk filling up in a subfolder, a write failing.
  for (const char* fault : {"read:2:23", "writebytes:6000:112", "write:4:112"}) {
    ExpectCopyError(InstallEditor({{"CDINST_FAULT", fault}}));
    EXPECT_EQ(DriveC(), before) << fault;
  }
  {
    const FileSizeLimit limit(3000);
    if (limit.Allowed()) ExpectCopyError(InstallEditor());
  }
  EXPECT_EQ(DriveC(), before);
  EXPECT_EQ(InstallEditor().transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(Installed(), EditorSource());
}

// A source folder whose path passes what Windows can enter ends the run in the fatal report;
// what the run made goes then too, and what was there stays.
TEST_F(FaultTest, CopyEndingInTheFatalReportLeavesOnlyWhatWasThere) {
  prefix_.WriteFile(kDestination + "USUARIO.TXT", "do usuario");
  prefix_.MakeDirectory("D:\\PROGS\\EDITOR\\" + std::string(60, 'a') + "\\" + std::string(60, 'b') +
                        "\\" + std::string(60, 'c') + "\\" + std::string(60, 'd') + "\\" +
                        std::string(60, 'e'));
  prefix_.WriteFile(kDestination + "LEIAME.TXT", "antigo");
  Tree expected = DriveC();
  expected.at("Arquivos de programas/Editor/LEIAME.TXT").bytes = std::string(700, 'l');
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 1);
  ASSERT_EQ(result.transcript.size(), 2u);
  EXPECT_NE(result.transcript[1].find("\"caption\":\"Application Error\""), std::string::npos);
  EXPECT_EQ(DriveC(), expected);  // a file it overwrote stays as it is
}

TEST_F(FaultTest, IndexOnAFullDiskEndsInTheFatalReportAndKeepsItsLines) {
  const std::string before = std::string(9000, 'x') + "\r\n";
  prefix_.WriteFile(kIndex, before);
  const FileSizeLimit limit(8192);  // the tree fits, the longer index cannot grow
  if (!limit.Allowed()) GTEST_SKIP() << "this machine refuses a file-size limit";
  const ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 1);
  ASSERT_EQ(result.transcript.size(), 2u);
  EXPECT_NE(result.transcript[1].find("\"caption\":\"Application Error\""), std::string::npos);
  EXPECT_NE(result.transcript[1].find("\\nI/O error 112.\""), std::string::npos)
      << result.transcript[1];
  EXPECT_EQ(Installed(), EditorSource());
  EXPECT_EQ(prefix_.ReadFile(kIndex), before);
}

TEST_F(FaultTest, IndexHeldForWritingByAnotherProgramEndsQuietly) {
  const std::string before = "Outro\tPrograma\tC:\\OUTRO\tVORTANE\r\n";
  prefix_.WriteFile(kIndex, before);
  const HANDLE held = CreateFileA(kIndex.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const ProgramResult result = InstallEditor();
  CloseHandle(held);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, Lines{Asked(kDestination)});
  EXPECT_EQ(Installed(), EditorSource());
  EXPECT_EQ(prefix_.ReadFile(kIndex), before);
}

// Neither can be opened as the index, and neither is replaced by one.
TEST_F(FaultTest, IndexThatIsADirectoryOrFifoEndsQuietly) {
  prefix_.MakeDirectory(kIndex);
  ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, Lines{Asked(kDestination)});
  std::filesystem::remove(prefix_.Unix(kIndex));
  MakeFifo(kIndex);
  result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, Lines{Asked(kDestination)});
  struct stat info;
  ASSERT_EQ(stat(prefix_.Unix(kIndex).c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(Installed(), EditorSource());
}

// Binary bytes give no settings; a megabyte line or a UTF-16 file hides none.
TEST_F(FaultTest, GarbageAndHugeSettingsFiles) {
  std::mt19937 random(6);
  std::string garbage(64 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI", garbage);
  ProgramResult result = InstallEditor();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript, Lines{kNoDestination});
  EXPECT_FALSE(prefix_.Exists("C:\\Arquivos de programas"));

  const Lines editor = {"[EDITOR]", "Nome=Editor de Texto", "Descricao=Editor simples",
                        "Origem=PROGS\\EDITOR", "Destino=%PROGRAMFILES%\\Editor"};
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI", CrLfLines({"[LIXO]", "x=" + std::string(1 << 20, 'x'),
                                                       std::string(1 << 20, '[')}) +
                                                CrLfLines(editor));
  result = InstallEditor();
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(prefix_.ReadFile(kIndex), kEditorLine);

  std::string utf16 = "\xFF\xFE";
  for (char c : CrLfLines(editor)) utf16 += std::string{c, '\0'};
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI", utf16);
  result = InstallEditor();
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(prefix_.ReadFile(kIndex), kEditorLine + kEditorLine);
}

// A parameter keeps its first 4096 characters: a title still captions the boxes (cut to 255),
// a section or medium root of that length names nothing, and a mask of that length still works.
TEST_F(FaultTest, ParametersOf5000Characters) {
  const std::string longText(5000, 'x');
  ProgramResult result = Run({longText, "D:\\", "EDITOR", "1", "*.*"}, "no");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.transcript,
            Lines{BoxLine(std::string(255, 'x'), "Pronto para copiar em: " + kDestination,
                          kQuestion, kNo)});
  for (const Lines& parameters : {Lines{kTitle, "D:\\", longText, "1", "*.*"},
                                  Lines{kTitle, "D:\\" + longText, "EDITOR", "1", "*.*"}}) {
    result = Run(parameters, "yes");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.transcript, Lines{kNoDestination});
  }
  EXPECT_FALSE(prefix_.Exists("C:\\Arquivos de programas"));

  std::string masks;
  while (masks.size() < 5000) masks += "*.TXT;";
  result = Run({kTitle, "D:\\", "EDITOR", "1", masks}, "yes");
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(prefix_.ReadFile(kDestination + "LEIAME.TXT"), std::string(700, 'l'));
  EXPECT_FALSE(prefix_.Exists(kDestination + "EDITOR.EXE"));
}

// A file whose path passes 255 characters cannot be handed to the platform: the copy fails
// there.
TEST_F(FaultTest, SourcePathLongerThan255CharactersFailsTheCopy) {
  const std::string deep = std::string(60, 'a') + "\\" + std::string(60, 'b') + "\\" +
                           std::string(60, 'c') + "\\" + std::string(60, 'd');
  prefix_.WriteFile("D:\\PROGS\\EDITOR\\" + deep + "\\FUNDO.TXT", "fundo");
  ASSERT_GT(("D:\\PROGS\\EDITOR\\" + deep + "\\FUNDO.TXT").size(), 255u);
  ExpectCopyError(InstallEditor());
  EXPECT_FALSE(prefix_.Exists(kDestination));
}

// A name that is not UTF-8 is read byte for byte as Windows-1252 and lands in UTF-8; a name
// with no Windows-1252 form shows as '?', which names no file, so its copy fails.
TEST_F(FaultTest, NamesTheProgramCannotSpellAsTheyAre) {
  const std::string latin1 = prefix_.Unix("D:\\PROGS\\EDITOR\\") + "caf\xE9.txt";
  ASSERT_TRUE(std::ofstream(latin1) << "latin");
  ProgramResult result = InstallEditor();
  EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(Installed().at("caf\xC3\xA9.txt").bytes, "latin");
  EXPECT_EQ(prefix_.ReadFile(kIndex), kEditorLine);

  std::filesystem::remove_all(prefix_.Unix(kDestination));
  std::filesystem::remove(prefix_.Unix(kIndex));
  const std::string omega = prefix_.Unix("D:\\PROGS\\EDITOR\\AJUDA\\") + "\xCE\xA9mega.txt";
  ASSERT_TRUE(std::ofstream(omega) << "omega");
  ExpectCopyError(InstallEditor());
  for (const auto& [path, entry] : Installed()) {
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
  }
}

}  // namespace
}  // namespace cdinst::testing
