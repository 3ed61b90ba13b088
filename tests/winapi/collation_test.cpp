// CompareStringA's collation: Windows' default table over Windows-1252 text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "collation_corpus.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

int Compare(DWORD flags, const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size()));
}

struct Case {
  const char* first;
  const char* second;
  int ignoringCase;
  int plain;
};

TEST(CollationTest, CornerCases) {
  const Case cases[] = {
      {"dado",
       "\xE9"
       "bano",
       CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"\xE9"
       "bano",
       "faca", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"faca", "zulu", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"\xC9"
       "bano",
       "ebano", CSTR_GREATER_THAN, CSTR_GREATER_THAN},
      {"ab", "a-c", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"a-c", "ad", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"coop", "co-op", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"co-op", "co'op", CSTR_GREATER_THAN, CSTR_GREATER_THAN},
      {"stra\xDF"
       "e",
       "STRASSE", CSTR_EQUAL, CSTR_LESS_THAN},
      {"stra\xDF"
       "e",
       "strasse", CSTR_EQUAL, CSTR_EQUAL},
      {"\xC6"
       "ther",
       "AEther", CSTR_EQUAL, CSTR_EQUAL},
      {"\x8C"
       "uvre",
       "Oeuvre", CSTR_EQUAL, CSTR_GREATER_THAN},
      {"Arquivos", "ARQUIVOS", CSTR_EQUAL, CSTR_LESS_THAN},
      {"a\xC7\xC3O", "a\xE7\xE3o", CSTR_EQUAL, CSTR_GREATER_THAN},
      {"dados", "Help", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"Help", "dados", CSTR_GREATER_THAN, CSTR_GREATER_THAN},
      {"2", "10", CSTR_GREATER_THAN, CSTR_GREATER_THAN},
      {"9", "a", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"!", "0", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"a b", "ab", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"a b", "a_b", CSTR_LESS_THAN, CSTR_LESS_THAN},
      {"abc", "abcd", CSTR_LESS_THAN, CSTR_LESS_THAN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " / " + c.second);
    EXPECT_EQ(c.ignoringCase, Compare(NORM_IGNORECASE, c.first, c.second));
    EXPECT_EQ(c.plain, Compare(0, c.first, c.second));
  }
  EXPECT_EQ(CSTR_EQUAL, CompareStringA(LOCALE_USER_DEFAULT, 0, "abcdef", 3, "abc", -1));
}

// Where CDINST_COLLATION_RECORD names a file, the corpus and the answers are written to it, one
// pair a line: kind, both names in hex, the answers with NORM_IGNORECASE and without flags.
// Under Wine this records the referee for the emulation's differential test.
TEST(CollationTest, CorpusAnswersAreConsistent) {
  const char* record = std::getenv("CDINST_COLLATION_RECORD");
  FILE* out = record != nullptr ? std::fopen(record, "w") : nullptr;
  ASSERT_TRUE(record == nullptr || out != nullptr) << record;
  for (const NamePair& pair : CollationCorpus()) {
    const int ignoringCase = Compare(NORM_IGNORECASE, pair.first, pair.second);
    const int plain = Compare(0, pair.first, pair.second);
    ASSERT_EQ(4 - ignoringCase, Compare(NORM_IGNORECASE, pair.second, pair.first));
    ASSERT_TRUE(plain != CSTR_EQUAL || ignoringCase == CSTR_EQUAL);
    if (out == nullptr) continue;
    std::fprintf(out, "%s\t%s\t%s\t%d\t%d\n", pair.kind.c_str(), Hex(pair.first).c_str(),
                 Hex(pair.second).c_str(), ignoringCase, plain);
  }
  EXPECT_TRUE(out == nullptr || std::fclose(out) == 0);
}

}  // namespace
}  // namespace cdinst::testing
