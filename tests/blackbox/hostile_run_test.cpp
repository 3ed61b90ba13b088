// A medium or a neighbour that works against the run: names that Windows' path rules fold away,
// folders swapped while the run fills them, signals, a file-size limit, a prefix of another
// user, texts that would steer the terminal. The run must end in the report it owes, take back
// what it made and nothing else, and never report a broken install as done.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "install_boxes.h"
#include "medium_fixture.h"
#include "terminal_reading.h"
#include "tree_snapshot.h"

namespace cdinst::testing {
namespace fs = std::filesystem;
namespace {

const std::string kOrigin = "D:\\PROGS\\EDITOR\\";

// The program, started with the five parameters and CDINST_ANSWER=yes, while the test goes on.
class StartedRun {
 public:
  explicit StartedRun(const ScratchPrefix& prefix) : transcript_(prefix.Directory() + "/t.jsonl") {
    err_ = prefix.Directory() + "/err.txt";
    pid_ = fork();
    if (pid_ != 0) return;
    setenv("CDINST_ANSWER", "yes", 1);
    setenv("CDINST_TRANSCRIPT", transcript_.c_str(), 1);
    // Unable to keep its errors, the run would tell the test nothing.
    if (freopen(err_.c_str(), "w", stderr) == nullptr) _exit(126);
    execl(CDINST_PROGRAM, CDINST_PROGRAM, kTitle.c_str(), "D:\\", "EDITOR", "1", "*.*",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  void Signal(int number) const { kill(pid_, number); }
  int Wait() const {
    int status = 0;
    waitpid(pid_, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }
  std::string Errors() const {
    std::ifstream in(err_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Transcript() const {
    std::ifstream in(transcript_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::string transcript_;
  std::string err_;
  pid_t pid_ = -1;
};

// Waits up to 10 s for `path` to exist.
bool Appears(const std::string& path) {
  for (int i = 0; i < 10000; ++i) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class HostileRunTest : public MediumTest {
 protected:
  HostileRunTest() {
    WriteEditorTree();
    prefix_.MakeDirectory("C:\\DUDERUR");
  }
  // Enough files in AJUDA that the run is still filling it when a test steps in.
  void WriteManyHelpFiles() const {
    for (int i = 0; i < 3000; ++i) {
      prefix_.WriteFile(kOrigin + "AJUDA\\F" + std::to_string(i) + ".TXT", std::string(3000, 'f'));
    }
  }
  ProgramResult InstallEditor() {
    return RunProgram({kTitle, "D:\\", "EDITOR", "1", "*.*"}, {{"CDINST_ANSWER", "yes"}},
                      prefix_.Directory());
  }
  void ExpectTakenBack() const {
    EXPECT_FALSE(prefix_.Exists("C:\\Arquivos de programas")) << "left behind";
    EXPECT_FALSE(prefix_.Exists(kIndex));
  }
};

// A name that a Windows path would fold into another ("SUB." is "SUB") or into its folder
// ("...", " ") cannot be copied as itself: the run must fail where it is, never report the
// install done without it, and take back what it made.
TEST_F(HostileRunTest, NamesThatPathsFoldAwayFailTheCopy) {
  const std::pair<const char*, const char*> names[] = {
      {"...", nullptr}, {" ", nullptr}, {". .", nullptr}, {"SUB.", "SUB"},
      {"a.", "a"},      {"f ", "f"},    {"x. ", nullptr}};
  for (const auto& [name, sibling] : names) {
    for (const bool folder : {false, true}) {
      SCOPED_TRACE(std::string("'") + name + (folder ? "' as a folder" : "' as a file"));
      fs::remove_all(prefix_.Unix("C:\\Arquivos de programas"));
      fs::remove_all(prefix_.Unix(kOrigin + "X"));
      const std::string at = prefix_.Unix(kOrigin + "X") + "/";
      fs::create_directories(at);
      for (const char* entry : {sibling, name}) {
        if (entry == nullptr) continue;
        if (folder) fs::create_directory(at + entry);
        std::ofstream(folder ? at + entry + "/IN.TXT" : at + entry) << entry;
      }
      const ProgramResult result = InstallEditor();
      EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kCopyError}));
      ExpectTakenBack();
    }
  }
}

// Another process renames a folder the run made, while the run fills it, and puts a link to a
// folder of its own in its place. Windows would refuse the rename of a held folder; here the
// run goes on filling the folder it holds, wherever it now is, and never writes through the link.
TEST_F(HostileRunTest, FolderSwappedForALinkDuringTheRunIsLeftAlone) {
  WriteManyHelpFiles();
  prefix_.WriteFile("C:\\VITIMA\\F1.TXT", "da vitima");
  const Tree victim = Snapshot(prefix_.Unix("C:\\VITIMA"));
  const StartedRun run(prefix_);
  const std::string help = prefix_.Unix(kDestination + "AJUDA");
  ASSERT_TRUE(Appears(help + "/F10.TXT"));
  fs::rename(help, help + ".movida");
  fs::create_directory_symlink(prefix_.Unix("C:\\VITIMA"), help);
  EXPECT_EQ(run.Wait(), 0);
  EXPECT_EQ(run.Transcript(), (Lines{Asked(kDestination), kDone}));
  EXPECT_EQ(Snapshot(prefix_.Unix("C:\\VITIMA")), victim);
  EXPECT_EQ(Snapshot(help + ".movida"), Snapshot(prefix_.Unix(kOrigin + "AJUDA")));
}

// A stop asked part way through the copy ends it at the next block: what the run made is taken
// back, no index line is written, one line says why, and the exit code is the shell's.
TEST_F(HostileRunTest, StopSignalsTakeBackWhatTheRunMade) {
  WriteManyHelpFiles();
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(number));
    fs::remove_all(prefix_.Unix("C:\\Arquivos de programas"));
    const StartedRun run(prefix_);
    ASSERT_TRUE(Appears(prefix_.Unix(kDestination + "AJUDA\\F10.TXT")));
    run.Signal(number);
    EXPECT_EQ(run.Wait(), 128 + number);
    const std::string errors = run.Errors();
    EXPECT_NE(errors.find("stopped"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    ExpectTakenBack();
  }
  const ProgramResult retry = InstallEditor();
  EXPECT_EQ(retry.transcript, (Lines{Asked(kDestination), kDone}));
}

// Ctrl-C at the question on the terminal: nothing is made, and the question does not count as
// the Yes a failed box gives.
TEST_F(HostileRunTest, CtrlCAtTheQuestionMakesNothing) {
  int terminal;
  const pid_t child = StartOnTerminal(terminal, kTitle);
  ASSERT_GE(child, 0);
  ReadUntil(terminal, "[N]\xC3\xA3o:");
  ASSERT_EQ(write(terminal, "\x03", 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGINT) << status;
  ExpectTakenBack();
}

// With the default SIGXFSZ a file-size limit would kill the program part way, leaving a cut file
// that a retry reports as installed; the write must fail as on a full disk instead. Sizes on and
// off the 1 KiB block edge.
TEST_F(HostileRunTest, FileSizeLimitFailsTheCopyAndTakesItBack) {
  for (const size_t size : {size_t{204800}, size_t{200001}}) {
    SCOPED_TRACE(size);
    prefix_.WriteFile(kOrigin + "GRANDE.DAT", std::string(size, 'g'));
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limit = saved;
    limit.rlim_cur = 100 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const ProgramResult result = InstallEditor();
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.transcript, (Lines{Asked(kDestination), kCopyError}));
    ExpectTakenBack();
  }
}

// Whoever owns a prefix could swap what a run writes there; as under Wine, a prefix of another
// user is refused before anything is read or written.
TEST_F(HostileRunTest, PrefixOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the prefix away";
  ASSERT_EQ(chown(prefix_.PrefixDirectory().c_str(), 65534, 65534), 0);
  const CapturedRun run =
      RunCapturing({CDINST_PROGRAM, kTitle, "D:\\", "EDITOR", "1", "*.*"},
                   {{"CDINST_ANSWER", "yes"}, {"CDINST_TRANSCRIPT", prefix_.Directory() + "/t"}},
                   "", prefix_.Directory());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("not owned by you"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_FALSE(fs::exists(prefix_.Directory() + "/t"));
  ExpectTakenBack();
}

// Escape sequences, BEL and C1 controls in the title and the settings reach the terminal as '?';
// the transcript keeps the text as it is.
TEST_F(HostileRunTest, TextsFromTheMediumDoNotSteerTheTerminal) {
  const std::string steering = "\x1b]0;x\x07\x1b[2J\x9d";  // Windows-1252
  prefix_.WriteFile("D:\\DADOS\\PROGS.INI", CrLfLines({"[EDITOR]", "Nome=N", "Origem=PROGS\\EDITOR",
                                                       "Destino=C:\\Jogo" + steering}));
  const std::string transcript = prefix_.Directory() + "/terminal.jsonl";
  int terminal;
  const std::string title = "T\x1b[1;1H\xc2\x9d";  // UTF-8, as the menu passes it
  const pid_t child = StartOnTerminal(terminal, title, {{"CDINST_TRANSCRIPT", transcript}});
  ASSERT_GE(child, 0);
  const std::string drawn = ReadUntil(terminal, "[N]\xC3\xA3o:");
  ASSERT_EQ(write(terminal, "n\r", 2), 2);
  waitpid(child, nullptr, 0);
  close(terminal);
  EXPECT_NE(drawn.find("C:\\Jogo?]0;x??[2J?"), std::string::npos) << drawn;
  for (const char* control : {"\x1b", "\x07", "\xc2\x9b", "\xc2\x9d"}) {
    EXPECT_EQ(drawn.find(control), std::string::npos) << drawn;
  }
  std::ifstream in(transcript);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_NE(line.find("\\u001b]0;x\\u0007"), std::string::npos) << line;
}

}  // namespace
}  // namespace cdinst::testing
