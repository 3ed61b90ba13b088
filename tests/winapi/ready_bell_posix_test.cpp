// The bell that spares the caches their reads of an empty inotify queue: it must ring for every
// wakeup that came before a look, including another process's and after a full ring, or a cache
// would go on using what a change made stale.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "winapi/posix/ready_bell.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::testing {
namespace {

class ReadyBellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
    readEnd_ = posix::UniqueFd(ends[0]);
    writeEnd_ = posix::UniqueFd(ends[1]);
  }

  // Skips where io_uring is not to be had: the bell then always rings, and the callers read.
  void Listen() {
    bell_.Listen(readEnd_.Get());
    if (!bell_.Listening()) GTEST_SKIP() << "io_uring is not available here";
  }

  void Write() const { ASSERT_EQ(write(writeEnd_.Get(), "x", 1), 1); }

  // Answers first, then empties the pipe, as the caches do with their queues.
  void AnswerAndDrain() {
    bell_.Answer();
    char buffer[4096];
    while (read(readEnd_.Get(), buffer, sizeof buffer) > 0) {
    }
  }

  posix::UniqueFd readEnd_;
  posix::UniqueFd writeEnd_;
  posix::ReadyBell bell_;
};

TEST_F(ReadyBellTest, RingsForEachWakeupOfItsOwnProcessAndOnlyThen) {
  Listen();
  EXPECT_FALSE(bell_.Rung());
  Write();
  EXPECT_TRUE(bell_.Rung());
  EXPECT_TRUE(bell_.Rung()) << "looking does not answer";
  AnswerAndDrain();
  EXPECT_FALSE(bell_.Rung());
  Write();
  EXPECT_TRUE(bell_.Rung());
}

TEST_F(ReadyBellTest, RingsAtOnceForWhatWasReadableBeforeListening) {
  Write();
  Listen();
  EXPECT_TRUE(bell_.Rung());
}

TEST_F(ReadyBellTest, RingsForAnotherProcessOnceItsWriteIsKnownDone) {
  Listen();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(write(writeEnd_.Get(), "x", 1) == 1 ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(bell_.Rung());
}

// More wakeups than the completion ring holds must neither go unrung nor end the listening.
TEST_F(ReadyBellTest, KeepsRingingPastAFullRing) {
  Listen();
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 1000; ++i) Write();
    EXPECT_TRUE(bell_.Rung());
    AnswerAndDrain();
    EXPECT_TRUE(bell_.Listening());
    bell_.Answer();  // a poll armed again while the pipe still held bytes has rung once more
    EXPECT_FALSE(bell_.Rung());
    Write();
    EXPECT_TRUE(bell_.Rung());
    AnswerAndDrain();
  }
}

}  // namespace
}  // namespace cdinst::testing
