// Twenty programs installing at once, each into its own destination, all recording into the one
// index file: a sharing refusal may cost a run its line, but never quietly, and never anyone
// else's line; no line is cut or mixed with another.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <unordered_map>

#include "medium_fixture.h"

namespace cdinst::testing {
namespace {

constexpr int kRuns = 20;
const std::string kTitle = "CD";
const std::string kDone = BoxLine(kTitle,
                                  "C\xC3\xB3pia Conclu\xC3\xAD"
                                  "da",
                                  kNotice, kOk);
const std::string kOther = "Outro\tPrograma\tC:\\OUTRO\tVORTANE\r\n";

std::string Section(int run) { return "P" + std::to_string(run); }
std::string Destination(int run) { return "C:\\Destinos\\" + Section(run); }
std::string LineOf(int run) {
  return "Programa " + std::to_string(run) + "\tD\t" + Destination(run) + "\tVORTANE\r\n";
}

class ConcurrentRunsTest : public MediumTest {
 protected:
  ConcurrentRunsTest() {
    WriteEditorTree();
    prefix_.MakeDirectory("C:\\DUDERUR");
    Lines lines;
    for (int run = 0; run < kRuns; ++run) {
      lines.insert(lines.end(),
                   {"[" + Section(run) + "]", "Nome=Programa " + std::to_string(run), "Descricao=D",
                    "Origem=PROGS\\EDITOR", "Destino=" + Destination(run)});
    }
    prefix_.WriteFile("D:\\DADOS\\PROGS.INI", CrLfLines(lines));
  }

  // Starts every run before waiting for any; each keeps its transcript in its own directory.
  std::vector<ProgramResult> RunAllAtOnce() {
    std::vector<ProgramResult> results(kRuns);
    std::vector<std::thread> threads;
    for (int run = 0; run < kRuns; ++run) {
      const std::string work = prefix_.Directory() + "/run" + std::to_string(run);
      std::filesystem::create_directories(work);
      threads.emplace_back([&results, run, work] {
        results[run] = RunProgram({kTitle, "D:\\", Section(run), "1", "*.*"},
                                  {{"CDINST_ANSWER", "yes"}}, work);
      });
    }
    for (std::thread& thread : threads) thread.join();
    return results;
  }

  // How often each line, with its CR LF, stands in `text`; a cut line counts as itself.
  static std::unordered_map<std::string, int> LineCounts(const std::string& text) {
    std::unordered_map<std::string, int> counts;
    for (size_t at = 0; at < text.size();) {
      const size_t end = text.find("\r\n", at);
      const size_t next = end == std::string::npos ? text.size() : end + 2;
      ++counts[text.substr(at, next - at)];
      at = next;
    }
    return counts;
  }

  // Every reported run's line once, no other run's line, each of `foreign` once, the file made
  // only of whole lines. Counted in one pass: the foreign writer appends for as long as the runs
  // take, and a search for each of its lines would take the square of that.
  void CheckIndex(const std::string& before, const std::vector<ProgramResult>& results,
                  const Lines& foreign = {}) {
    const std::string index = prefix_.ReadFile("C:\\DUDERUR\\INDICE2.CD");
    ASSERT_EQ(index.substr(0, before.size()), before) << index;
    std::unordered_map<std::string, int> counts = LineCounts(index.substr(before.size()));
    size_t expectedSize = before.size();
    for (const std::string& line : foreign) {
      EXPECT_EQ(counts[line], 1) << line;
      expectedSize += line.size();
    }
    for (int run = 0; run < kRuns; ++run) {
      const ProgramResult& result = results[run];
      EXPECT_EQ(result.exitCode, 0) << run;
      ASSERT_GE(result.transcript.size(), 1u) << run;
      const bool reported = result.transcript.size() == 2 && result.transcript[1] == kDone;
      EXPECT_TRUE(reported || result.transcript.size() == 1) << result.transcript.back();
      const int copies = counts[LineOf(run)];
      EXPECT_EQ(copies > 0, reported) << "run " << run << "\n" << index;
      if (copies > 0) {
        EXPECT_EQ(copies, 1) << index;
        expectedSize += LineOf(run).size();
      }
    }
    EXPECT_EQ(index.size(), expectedSize) << index;
  }
};

TEST_F(ConcurrentRunsTest, RunsIntoAnExistingIndexAddWholeLinesOnly) {
  for (int round = 0; round < 3 && !HasFailure(); ++round) {
    prefix_.WriteFile("C:\\DUDERUR\\INDICE2.CD", kOther);
    CheckIndex(kOther, RunAllAtOnce());
  }
}

// A Linux program that appends without regard to share modes, as the runs write their lines.
TEST_F(ConcurrentRunsTest, ForeignAppendsSurviveWhole) {
  prefix_.WriteFile("C:\\DUDERUR\\INDICE2.CD", kOther);
  std::atomic<bool> running = true;
  Lines foreign;
  std::thread writer([&] {
    const std::string index = prefix_.Unix("C:\\DUDERUR\\INDICE2.CD");
    while (running) {
      foreign.push_back("Estranho " + std::to_string(foreign.size()) + "\tX\tC:\\X\tOUTRO\r\n");
      const int fd = open(index.c_str(), O_WRONLY | O_APPEND);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(write(fd, foreign.back().data(), foreign.back().size()),
                static_cast<ssize_t>(foreign.back().size()));
      close(fd);
    }
  });
  const std::vector<ProgramResult> results = RunAllAtOnce();
  running = false;
  writer.join();
  CheckIndex(kOther, results, foreign);
}

// All find it missing; the first creates it, and no later one may empty it again.
TEST_F(ConcurrentRunsTest, RunsThatAllCreateTheIndexLoseNoReportedLine) {
  for (int round = 0; round < 3 && !HasFailure(); ++round) {
    std::filesystem::remove(prefix_.Unix("C:\\DUDERUR\\INDICE2.CD"));
    CheckIndex("", RunAllAtOnce());
  }
}

}  // namespace
}  // namespace cdinst::testing
