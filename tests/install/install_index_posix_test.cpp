// Recording an installation against other processes and against failing reads and writes,
// both provoked through the emulation (fork, the fault knob).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "install_index_fixture.h"
#include "winapi/posix/files/fault_injection.h"

namespace cdinst {
namespace {

using testing::kDescription;
using testing::kDestination;
using testing::kName;
using testing::kOwnLine;

// One direction of talk between this process and a child.
class Pipe {
 public:
  Pipe() {
    if (pipe(ends_) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    for (const int end : ends_) {
      if (end >= 0) close(end);
    }
  }
  void Send(char byte) { ASSERT_EQ(write(ends_[1], &byte, 1), 1); }
  char Receive() {
    char byte = 0;
    return read(ends_[0], &byte, 1) == 1 ? byte : '\0';
  }
  void CloseSending() {
    if (ends_[1] >= 0) close(ends_[1]);
    ends_[1] = -1;
  }

 private:
  int ends_[2] = {-1, -1};
};

int ExitCodeOf(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

bool IsClosedEverywhere(const char* path) {
  const HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

class InstallIndexPosixTest : public testing::InstallIndexFixture {
 protected:
  void SetUp() override {
    InstallIndexFixture::SetUp();
    posix::ResetFaults();
  }
  void TearDown() override { posix::ResetFaults(); }

  // Records the installation with the fault knob set by `arm`; the IoError's code, or 0.
  template <typename Arm>
  int32_t FailureWhileRecording(const std::string& before, Arm arm) {
    prefix_.WriteFile(kInstallIndexPath, before);
    arm();
    try {
      RecordInstallation(kName, kDescription, kDestination);
    } catch (const IoError& error) {
      EXPECT_EQ(TakeIoResult(), 0);
      return error.IoErrorCode();
    }
    return 0;
  }
};

TEST_F(InstallIndexPosixTest, FileHeldForWritingByAnotherProcessIsLeftAlone) {
  prefix_.WriteFile(kInstallIndexPath, "a\r\n");
  Pipe opened, release;
  const pid_t child = fork();
  if (child == 0) {
    release.CloseSending();
    const HANDLE held = CreateFileA(kInstallIndexPath, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    opened.Send(held != INVALID_HANDLE_VALUE ? '1' : '0');
    release.Receive();  // returns once the parent closes its end
    _exit(0);
  }
  ASSERT_EQ(opened.Receive(), '1');
  EXPECT_FALSE(RecordInstallation(kName, kDescription, kDestination));
  EXPECT_EQ(TakeIoResult(), 0);
  release.CloseSending();
  EXPECT_EQ(ExitCodeOf(child), 0);
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), "a\r\n");
  EXPECT_EQ(AfterRecording("a\r\n"), std::string("a\r\n") + kOwnLine);
}

TEST_F(InstallIndexPosixTest, WriteFailureRaisesWithTheCodeAndClosesTheFile) {
  const auto failFirstWrite = [] { posix::ArmFaults("write:1:112"); };
  EXPECT_EQ(FailureWhileRecording("a\r\n\x1A", failFirstWrite), 112);
  EXPECT_TRUE(IsClosedEverywhere(kInstallIndexPath));
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), "a\r\n");  // the cut came before the write

  prefix_.WriteFile(kInstallIndexPath, "");
  failFirstWrite();
  try {
    RecordInstallation(kName, kDescription, kDestination);
    ADD_FAILURE() << "no IoError";
  } catch (const IoError& error) {
    EXPECT_STREQ(error.what(), "I/O error 112");
  }
}

TEST_F(InstallIndexPosixTest, WriteCutShortLeavesPartOfTheLine) {
  EXPECT_EQ(FailureWhileRecording("a\r\n", [] { posix::ArmFaults("writebytes:5:112"); }),
            112);
  EXPECT_TRUE(IsClosedEverywhere(kInstallIndexPath));
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), "a\r\nXadre");
}

TEST_F(InstallIndexPosixTest, LineBreakAndLineGoOutInOneWrite) {
  EXPECT_EQ(FailureWhileRecording("abc", [] { posix::ArmFaults("write:2:112"); }), 0);
  EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), std::string("abc\r\n") + kOwnLine);
}

TEST_F(InstallIndexPosixTest, ReadErrorInTheScanHidesTheLinesNotYetRead) {
  const std::string before = std::string(10000, 'x') + "\r\n" + CdLine();
  for (const unsigned nth : {1u, 2u}) {  // before the first line, inside it
    prefix_.WriteFile(kInstallIndexPath, before);
    posix::ArmFaults("read:" + std::to_string(nth) + ":23");
    EXPECT_TRUE(RecordInstallation(kName, kDescription, kDestination));
    EXPECT_EQ(TakeIoResult(), 0);
    EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath), before + kOwnLine) << nth;
  }
}

// Failing each read in turn: one of the scan's is ignored (the line is added); the one that
// readies the end stops the recording, leaving the file closed and unchanged.
TEST_F(InstallIndexPosixTest, ReadErrorBeforeTheCutRecordsNothing) {
  const std::string before = "a\r\nb\x1A";
  bool refused = false;
  for (unsigned nth = 1; nth <= 5 && !refused; ++nth) {
    prefix_.WriteFile(kInstallIndexPath, before);
    posix::ArmFaults("read:" + std::to_string(nth) + ":23");
    refused = !RecordInstallation(kName, kDescription, kDestination);
    posix::ResetFaults();
    EXPECT_EQ(TakeIoResult(), 0) << nth;
    EXPECT_TRUE(IsClosedEverywhere(kInstallIndexPath)) << nth;
    EXPECT_EQ(prefix_.ReadFile(kInstallIndexPath),
              refused ? before : "a\r\nb\r\n" + std::string(kOwnLine))
        << nth;
  }
  EXPECT_TRUE(refused);
}

}  // namespace
}  // namespace cdinst

namespace cdinst {
namespace {

// Programs recording at once: a sharing refusal may cost a process its own line, never anyone
// else's. A race, so it is run several times.
void RecordConcurrently(testing::ScratchPrefix& prefix) {
  const std::string before = "Outro\tPrograma\tC:\\OUTRO\tVORTANE\r\n";
  prefix.WriteFile(kInstallIndexPath, before);
  constexpr int kProcesses = 12;
  std::vector<pid_t> children;
  for (int i = 0; i < kProcesses; ++i) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool recorded =
          RecordInstallation("Programa " + std::to_string(i), kDescription, kDestination);
      _exit(recorded ? 0 : 1);
    }
    children.push_back(child);
  }
  std::vector<std::string> recordedLines;
  for (int i = 0; i < kProcesses; ++i) {
    int status = 0;
    waitpid(children[i], &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
      recordedLines.push_back("Programa " + std::to_string(i) + "\t" + kDescription +
                              "\tC:\\Arquivos de programas\\Xadrez 3D\tVORTANE\r\n");
    }
  }
  const std::string index = prefix.ReadFile(kInstallIndexPath);
  ASSERT_EQ(index.substr(0, before.size()), before) << index;
  size_t expectedSize = before.size();
  for (const std::string& line : recordedLines) {
    expectedSize += line.size();
    EXPECT_NE(index.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(index.size(), expectedSize) << index;
}

TEST_F(InstallIndexPosixTest, ConcurrentRecordsLoseNoLine) {
  for (int round = 0; round < 10 && !HasFailure(); ++round) RecordConcurrently(prefix_);
}

}  // namespace
}  // namespace cdinst
