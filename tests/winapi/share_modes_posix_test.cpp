// Share modes between processes: other programs open the same file meanwhile.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr DWORD kShareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;

struct Pipe {
  Pipe() {
    if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  void CloseRead() {
    if (ends[0] >= 0) close(ends[0]);
    ends[0] = -1;
  }
  void CloseWrite() {
    if (ends[1] >= 0) close(ends[1]);
    ends[1] = -1;
  }
  char Receive() {
    char byte = 0;
    return read(ends[0], &byte, 1) == 1 ? byte : '\0';
  }
  void Send(char byte) { ASSERT_EQ(write(ends[1], &byte, 1), 1); }
  int ends[2] = {-1, -1};
};

// A child process that waits for `start`, opens `path`, reports '1' (opened) or '0' on
// `report`, keeps the file open until `release` closes, and exits.
pid_t SpawnHolder(const std::string& path, DWORD access, DWORD share, Pipe& start, Pipe& report,
                  Pipe& release) {
  const pid_t child = fork();
  if (child != 0) return child;
  start.CloseWrite();
  release.CloseWrite();
  if (start.Receive() != 'g') _exit(2);
  const HANDLE handle = OpenForTest(path, access, share);
  const char opened = handle != INVALID_HANDLE_VALUE ? '1' : '0';
  if (write(report.ends[1], &opened, 1) != 1) _exit(2);
  release.Receive();  // end of file once the parent closes its end
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  _exit(0);
}

bool ExitedCleanly(pid_t child) {
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class ShareModesBetweenProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.WriteFile(kFile, "content"); }

  static constexpr const char* kFile = "C:\\DUDERUR\\INDICE2.CD";
  ScratchPrefix prefix_;
};

TEST_F(ShareModesBetweenProcessesTest, OtherProcessHoldingTheFileRefusesUntilItCloses) {
  Pipe start, report, release;
  const pid_t child =
      SpawnHolder(kFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, start, report, release);
  start.Send('g');
  ASSERT_EQ(report.Receive(), '1');

  EXPECT_EQ(OpenError(kFile, GENERIC_READ, FILE_SHARE_READ), DWORD{32});
  EXPECT_EQ(OpenError(kFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), DWORD{32});
  EXPECT_EQ(OpenError(kFile, GENERIC_READ, kShareBoth), ~DWORD{0});  // it shares reading

  release.CloseWrite();
  ASSERT_TRUE(ExitedCleanly(child));
  EXPECT_EQ(OpenError(kFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ), ~DWORD{0});
  EXPECT_EQ(prefix_.ReadFile(kFile), "content");
}

TEST_F(ShareModesBetweenProcessesTest, ThisProcessHoldingTheFileRefusesTheOther) {
  ScopedHandle holder(OpenForTest(kFile, GENERIC_WRITE, FILE_SHARE_READ));
  ASSERT_TRUE(holder.Valid());
  Pipe start, report, release;
  const pid_t child = SpawnHolder(kFile, GENERIC_WRITE, kShareBoth, start, report, release);
  start.Send('g');
  EXPECT_EQ(report.Receive(), '0');
  release.CloseWrite();
  EXPECT_TRUE(ExitedCleanly(child));
}

// Writers are taken one after the other, so exactly one wins; read-only opens may all lose,
// but two never both win.
TEST_F(ShareModesBetweenProcessesTest, OfManySimultaneousExclusiveOpensAtMostOneWins) {
  constexpr int kProcesses = 20;
  for (const DWORD access : {GENERIC_READ | GENERIC_WRITE, DWORD{GENERIC_READ}}) {
    Pipe start, report, release;
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
      children.push_back(SpawnHolder(kFile, access, 0, start, report, release));
    }
    for (int i = 0; i < kProcesses; ++i) start.Send('g');
    int opened = 0;
    for (int i = 0; i < kProcesses; ++i) opened += report.Receive() == '1';
    if (access & GENERIC_WRITE) {
      EXPECT_EQ(opened, 1);
    } else {
      EXPECT_LE(opened, 1);
    }
    release.CloseWrite();
    for (const pid_t child : children) EXPECT_TRUE(ExitedCleanly(child));
  }
}

// Linux programs take no notice of share modes: what one appends while a handle that keeps
// writers out is open is never overwritten, and never cut off.
TEST_F(ShareModesBetweenProcessesTest, ForeignAppendIsNeitherOverwrittenNorCut) {
  const auto appendForeign = [&] {
    std::ofstream(prefix_.Unix(kFile), std::ios::app) << "+foreign";
  };
  for (const bool measured : {false, true}) {
    prefix_.WriteFile(kFile, "content");
    ScopedHandle file(OpenForTest(kFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ));
    ASSERT_TRUE(file.Valid());
    if (measured) {
      EXPECT_EQ(GetFileSize(file.Get(), nullptr), 7u);
    }
    ASSERT_NE(SetFilePointer(file.Get(), 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    appendForeign();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), "+own", 4, &written, nullptr));
    ASSERT_NE(SetFilePointer(file.Get(), 3, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    appendForeign();
    EXPECT_FALSE(SetEndOfFile(file.Get()));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_LOCK_VIOLATION});
    file.Close();
    EXPECT_EQ(prefix_.ReadFile(kFile), "content+foreign+own+foreign") << measured;
  }
}

}  // namespace
}  // namespace cdinst::testing
