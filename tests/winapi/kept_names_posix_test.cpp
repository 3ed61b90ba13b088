// A directory's names followed through its entry events: whatever order the reports of earlier
// changes come in after the reading, a name is known missing only when no entry has it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "winapi/posix/kept_names.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::testing {
namespace {

namespace fs = std::filesystem;

class KeptNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("kept_names_" + std::to_string(getpid()));
    fs::remove_all(directory_);
    fs::create_directory(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  void Touch(const std::string& name) const { std::ofstream(directory_ / name) << "x"; }

  posix::KeptNames ReadNow() const {
    const posix::UniqueFd fd(open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    posix::KeptNames names;
    EXPECT_TRUE(names.Read(fd.Get()));
    return names;
  }

  fs::path directory_;
};

TEST_F(KeptNamesTest, ReportsOfEarlierChangesEndWhereTheDirectoryIs) {
  Touch("dados.TXT");
  Touch("DADOS.txt");
  Touch("Outro.txt");
  posix::KeptNames names = ReadNow();
  // Made and removed before the reading; reported after it.
  names.Apply(IN_CREATE, "velho.txt");
  names.Apply(IN_DELETE, "velho.txt");
  EXPECT_TRUE(names.Lacks("VELHO.TXT"));
  // Made before the reading and reported again: nothing doubles.
  names.Apply(IN_CREATE, "Outro.txt");
  names.Apply(IN_DELETE, "Outro.txt");
  EXPECT_TRUE(names.Lacks("outro.txt"));
  // A name that two entries share in other letter cases stays while either is there.
  names.Apply(IN_DELETE, "DADOS.txt");
  names.Apply(IN_DELETE, "DADOS.txt");
  EXPECT_FALSE(names.Lacks("Dados.Txt"));
  names.Apply(IN_MOVED_FROM, "dados.TXT");
  EXPECT_TRUE(names.Lacks("Dados.Txt"));
  names.Apply(IN_MOVED_TO, "Dados.txt");
  EXPECT_FALSE(names.Lacks("DADOS.TXT"));
}

TEST_F(KeptNamesTest, AccentedNamesFoldAndShortNamesAreNeverKnownMissing) {
  Touch("a\xC3\xA7\xC3\xA3o.txt");  // "ação" on disk
  const posix::KeptNames names = ReadNow();
  EXPECT_FALSE(names.Lacks("A\xC7\xC3O.TXT"));
  EXPECT_TRUE(names.Lacks("ACAO.TXT"));
  EXPECT_FALSE(names.Lacks("LONG~5R1.TXT"));
}

}  // namespace
}  // namespace cdinst::testing
