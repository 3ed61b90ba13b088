// The messages in the user's language, from the catalogs this build made.
#include "translation/translation.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <map>
#include <string>

#include "scoped_environment.h"

namespace cdinst {
namespace {

using ::cdinst::testing::ScopedEnvironment;

class TranslationTest : public ::testing::Test {
 protected:
  TranslationTest() {
    environment_.Set("CDINST_LOCALE_DIR", CDINST_CATALOGS);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) {
      environment_.Set(name, std::nullopt);
    }
  }
  ~TranslationTest() override { std::setlocale(LC_ALL, "C"); }

  // Starts the translation with the environment `name`=`value`.
  void StartWith(const char* name, const char* value) {
    environment_.Set(name, value);
    StartTranslation();
  }

  ScopedEnvironment environment_;
};

TEST_F(TranslationTest, PluralsFollowEachCatalogsRule) {
  const char* const singular = "copying: {1} file, {2} MB";
  const char* const plural = "copying: {1} files, {2} MB";
  struct Case {
    const char* locale;
    unsigned long count;
    const char* shown;
  };
  const Case cases[] = {
      {"C.UTF-8", 0, plural},
      {"C.UTF-8", 1, singular},
      {"C.UTF-8", 2, plural},
      {"pt_BR.UTF-8", 0, "copiando: {1} arquivo, {2} MB"},
      {"pt_BR.UTF-8", 1, "copiando: {1} arquivo, {2} MB"},
      {"pt_BR.UTF-8", 2, "copiando: {1} arquivos, {2} MB"},
  };
  for (const Case& c : cases) {
    StartWith("LC_ALL", c.locale);
    ASSERT_NE(std::setlocale(LC_MESSAGES, nullptr), std::string("C"))
        << c.locale << " is missing: localedef -i pt_BR -f UTF-8 pt_BR.UTF-8";
    EXPECT_STREQ(TranslatedPlural(singular, plural, c.count), c.shown) << c.locale << c.count;
  }
}

// LANGUAGE comes first, then LC_ALL, LC_MESSAGES and LANG.
TEST_F(TranslationTest, LanguageComesFromTheEnvironment) {
  const std::string portuguese = "n\xC3\xA3o \xC3\xA9 um diret\xC3\xB3rio";
  struct Case {
    std::map<std::string, std::string> variables;
    bool portuguese;
  };
  const Case cases[] = {
      {{{"LANG", "pt_BR.UTF-8"}}, true},
      {{{"LANG", "C.UTF-8"}, {"LC_MESSAGES", "pt_BR.UTF-8"}}, true},
      {{{"LANG", "pt_BR.UTF-8"}, {"LC_ALL", "C"}}, false},
      {{{"LANG", "pt_BR.UTF-8"}, {"LANGUAGE", "en"}}, false},
      {{}, false},
  };
  for (const Case& c : cases) {
    ScopedEnvironment environment;
    for (const auto& [name, value] : c.variables) environment.Set(name, value);
    StartTranslation();
    EXPECT_EQ(Translated("not a directory"), c.portuguese ? portuguese : "not a directory")
        << ::testing::PrintToString(c.variables);
  }
}

// In a Latin-1 locale the messages stay UTF-8, as everything else the programs write, and the
// character classes stay ASCII's, by which drive letters and settings are read.
TEST_F(TranslationTest, SingleByteLocaleKeepsUtf8MessagesAndAsciiClasses) {
  StartWith("LANG", "pt_BR.ISO-8859-1");
  ASSERT_NE(std::setlocale(LC_MESSAGES, nullptr), std::string("C"))
      << "pt_BR.ISO-8859-1 is missing: localedef -i pt_BR -f ISO-8859-1 pt_BR.ISO-8859-1";
  EXPECT_STREQ(Translated("not a directory"), "n\xC3\xA3o \xC3\xA9 um diret\xC3\xB3rio");
  EXPECT_FALSE(std::isalpha(0xE9));
  EXPECT_EQ(std::toupper(0xE9), 0xE9);
}

}  // namespace
}  // namespace cdinst
