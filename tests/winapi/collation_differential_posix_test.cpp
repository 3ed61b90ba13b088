// The emulation's CompareStringA against Windows' answers, as the Windows build of these tests
// recorded them under Wine (collation_test.cpp).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "collation_corpus.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

struct Tally {
  int pairs = 0, equalityDiffers = 0, signDiffers = 0;
  std::map<std::string, int> kindsDiffering;
  std::string examples;
};

void Check(Tally& tally, DWORD flags, const NamePair& pair, int windows) {
  const int emulation = CompareStringA(LOCALE_USER_DEFAULT, flags, pair.first.data(),
                                       static_cast<int>(pair.first.size()), pair.second.data(),
                                       static_cast<int>(pair.second.size()));
  ++tally.pairs;
  if (emulation == windows) return;
  if (emulation == CSTR_EQUAL || windows == CSTR_EQUAL) ++tally.equalityDiffers;
  ++tally.signDiffers;
  ++tally.kindsDiffering[pair.kind];
  if (tally.signDiffers <= 10) {
    tally.examples += "  " + pair.kind + ": " + Hex(pair.first) + " / " + Hex(pair.second) +
                      " flags " + std::to_string(flags) + ": Windows " + std::to_string(windows) +
                      ", emulation " + std::to_string(emulation) + "\n";
  }
}

TEST(CollationDifferentialTest, AgreesWithWindowsOnTheCorpus) {
  std::ifstream record(CDINST_COLLATION_RECORD);
  if (!record)
    GTEST_SKIP() << "no answers recorded by the Windows build: " << CDINST_COLLATION_RECORD;
  Tally tally;
  std::string line;
  while (std::getline(record, line)) {
    std::istringstream fields(line);
    std::string kind, first, second;
    int ignoringCase = 0, plain = 0;
    std::getline(fields, kind, '\t');
    fields >> first >> second >> ignoringCase >> plain;
    const NamePair pair{kind, FromHex(first), FromHex(second)};
    Check(tally, NORM_IGNORECASE, pair, ignoringCase);
    Check(tally, 0, pair, plain);
  }
  std::printf("%d comparisons; equality differs on %d, order on %d\n", tally.pairs,
              tally.equalityDiffers, tally.signDiffers);
  for (const auto& [kind, count] : tally.kindsDiffering)
    std::printf("  %s: %d\n", kind.c_str(), count);
  std::printf("%s", tally.examples.c_str());
  EXPECT_GE(tally.pairs, 2 * 20000);
  EXPECT_EQ(0, tally.equalityDiffers);
  EXPECT_LE(tally.signDiffers * 1000, tally.pairs);
}

}  // namespace
}  // namespace cdinst::testing
