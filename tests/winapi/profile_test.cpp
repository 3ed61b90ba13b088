// GetPrivateProfileStringA as Windows reads settings files: the program's reads use a buffer of
// 2048 bytes and the empty default.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "platform_checks.h"
#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

using namespace std::string_literals;

constexpr const char* kIni = "D:\\DADOS\\PROGS.INI";
constexpr DWORD kUnset = 0xDEADBEEF;

class ProfileTest : public ::testing::Test {
 protected:
  void Write(std::string_view bytes) const { prefix_.WriteFile(kIni, bytes); }

  // The text read with a 2048-byte buffer; count_ and error_ keep what the call reported.
  std::string Read(const char* section, const char* key, const char* defaultText = "",
                   const char* file = kIni) {
    char buffer[2048];
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(kUnset);
    count_ = GetPrivateProfileStringA(section, key, defaultText, buffer, sizeof buffer, file);
    error_ = GetLastError();
    EXPECT_LT(count_, sizeof buffer);
    EXPECT_EQ(buffer[count_], '\0');
    return std::string(buffer, count_);
  }

  // The raw bytes a call leaves in a buffer of `size`, for the size and list rules.
  std::string ReadRaw(const char* section, const char* key, DWORD size) {
    std::string buffer(64, 'x');
    count_ = GetPrivateProfileStringA(section, key, "default", buffer.data(), size, kIni);
    return buffer;
  }

  ScratchPrefix prefix_;
  DWORD count_ = 0;
  DWORD error_ = 0;
};

TEST_F(ProfileTest, LinesEndAtCrLfLfOrCrAndBlanksAroundThemDoNotCount) {
  Write("[one]\r\ncrlf=1\nlf=2\rcr=3\r\n   [ two ]   \r\n  key1  =  value one  \r\n");
  EXPECT_EQ(Read("one", "crlf"), "1");
  EXPECT_EQ(Read("one", "lf"), "2");
  EXPECT_EQ(Read("one", "cr"), "3");
  EXPECT_EQ(Read("two", "key1"), "value one");
  EXPECT_EQ(count_, 9u);
}

TEST_F(ProfileTest, HeaderNameRunsToTheLastBracket) {
  Write("[Br]acket]\nk=1\n[Tail] junk\nk=2\n[Open\nk2=3\n");
  EXPECT_EQ(Read("Br]acket", "k"), "1");
  EXPECT_EQ(Read("Tail", "k"), "2");
  // "[Open" is no header: its lines stay in the section before.
  EXPECT_EQ(Read("Tail", "k2"), "3");
  EXPECT_EQ(Read("Open", "k2", "none"), "none");
}

TEST_F(ProfileTest, KeyEndsAtTheFirstEqualsSignAndCommentLinesDefineNone) {
  Write("[s]\n; k=commented\nk = a=b\nempty=\nnoequals\n#hash=ordinary\nlist=a;b ; c\n");
  EXPECT_EQ(Read("s", "k"), "a=b");
  EXPECT_EQ(Read("s", "empty", "default"), "");
  EXPECT_EQ(count_, 0u);
  EXPECT_EQ(Read("s", "noequals", "default"), "default");
  EXPECT_EQ(Read("s", "#hash"), "ordinary");
  EXPECT_EQ(Read("s", "list"), "a;b ; c");
}

TEST_F(ProfileTest, NamesIgnoreLetterCase) {
  Write("[Editor]\nDestino=%PROGRAMFILES%\\Editor\n[SE\xC7\xC3O]\n\xCDNDICE=1\n");
  EXPECT_EQ(Read("EDITOR", "destino"), "%PROGRAMFILES%\\Editor");
  EXPECT_EQ(Read("editor", "DESTINO"), "%PROGRAMFILES%\\Editor");
  if (!WineDepartsFromWindows("Wine folds ASCII letters only")) {
    EXPECT_EQ(Read("se\xE7\xE3o", "\xEDndice"), "1");
  }
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyOfANameWin) {
  Write("[prog]\nNome=first\nnome=second\n[other]\nNome=other\n[PROG]\nNome=third\nNew=x\n");
  EXPECT_EQ(Read("Prog", "NOME"), "first");
  // Keys of a later section of the same name are not seen.
  EXPECT_EQ(Read("prog", "New", "default"), "default");
  EXPECT_EQ(Read("other", "Nome"), "other");
}

TEST_F(ProfileTest, OnePairOfMatchingQuotesIsRemovedAfterTrimming) {
  Write(
      "[q]\ndouble=\"quoted\"\nsingle='single'\nmixed=\"x'\nlead=\"abc\n"
      "inner=\"hello\" world\nempty=\"\"\nlone=\"\nspaced=  \"  spaced  \"  \n");
  EXPECT_EQ(Read("q", "double"), "quoted");
  EXPECT_EQ(Read("q", "single"), "single");
  EXPECT_EQ(Read("q", "mixed"), "\"x'");
  EXPECT_EQ(Read("q", "lead"), "\"abc");
  EXPECT_EQ(Read("q", "inner"), "\"hello\" world");
  EXPECT_EQ(Read("q", "empty", "default"), "");
  EXPECT_EQ(Read("q", "lone"), "\"");
  EXPECT_EQ(Read("q", "spaced"), "  spaced  ");
}

TEST_F(ProfileTest, LongValuesAreCutTo2047Characters) {
  const std::string exact(2047, 'e');
  const std::string longer = std::string(2047, 'l') + "tail";
  Write("[s]\nexact=" + exact + "\nlonger=" + longer + "\nshort=" + exact.substr(1) + "\n");
  EXPECT_EQ(Read("s", "exact"), exact);
  EXPECT_EQ(count_, 2047u);
  EXPECT_EQ(Read("s", "longer"), longer.substr(0, 2047));
  EXPECT_EQ(count_, 2047u);
  EXPECT_EQ(Read("s", "short"), exact.substr(1));
  EXPECT_EQ(count_, 2046u);
}

TEST_F(ProfileTest, MegabyteLinesDoNotHideTheKeysAfterThem) {
  const std::string huge(1 << 20, 'h');
  std::string content = "[s]\n";
  for (int i = 0; i < 8; ++i) content += "line" + std::to_string(i) + "=" + huge + "\n";
  Write(content + "after=found\n[t]\nk=v\n");
  EXPECT_EQ(Read("s", "line7"), huge.substr(0, 2047));
  EXPECT_EQ(Read("s", "after"), "found");
  EXPECT_EQ(Read("t", "k"), "v");
}

TEST_F(ProfileTest, SmallBuffersFollowTheSizeRules) {
  Write("[s]\nname1=val1\n");
  std::string raw = ReadRaw("s", "name1", 0);
  EXPECT_EQ(count_, 0u);
  EXPECT_EQ(raw, std::string(64, 'x'));
  raw = ReadRaw("s", "name1", 1);
  EXPECT_EQ(count_, 0u);
  EXPECT_EQ(raw[0], '\0');
  raw = ReadRaw("s", "name1", 4);
  EXPECT_EQ(count_, 3u);
  EXPECT_EQ(raw.substr(0, 4), "val\0"s);
  raw = ReadRaw("s", "name1", 5);
  EXPECT_EQ(count_, 4u);
  EXPECT_EQ(raw.substr(0, 5), "val1\0"s);
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  prefix_.MakeDirectory("D:\\DADOS");
  EXPECT_EQ(Read("s", "k", "default"), "default");
  EXPECT_EQ(error_, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Read("s", "k", "default", "D:\\NOWHERE\\PROGS.INI"), "default");
  EXPECT_EQ(error_, ERROR_PATH_NOT_FOUND);
  Write("[s]\nk=v\n");
  EXPECT_EQ(Read("s", "k", "default"), "v");
  EXPECT_EQ(Read("missing", "k", "default"), "default");
  EXPECT_EQ(Read("s", "missing", "default"), "default");
  if (WineDepartsFromWindows("Wine leaves 0 for a missing section or key")) return;
  EXPECT_EQ(Read("missing", "k", "default"), "default");
  EXPECT_EQ(error_, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Read("s", "missing", "default"), "default");
  EXPECT_EQ(error_, ERROR_FILE_NOT_FOUND);
}

TEST_F(ProfileTest, DefaultLosesTrailingBlanksOnly) {
  EXPECT_EQ(Read("s", "k", "default  "), "default");
  EXPECT_EQ(count_, 7u);
  EXPECT_EQ(Read("s", "k", "  one two  "), "  one two");
  EXPECT_EQ(Read("s", "k", nullptr), "");
  EXPECT_EQ(count_, 0u);
  EXPECT_EQ(Read("s", "k", std::string(3000, 'd').c_str()), std::string(2047, 'd'));
}

TEST_F(ProfileTest, BareNameIsLookedForInTheWindowsDirectory) {
  prefix_.WriteFile("C:\\windows\\cdtest.ini", "[s]\nk=windows\n");
  prefix_.WriteFile("D:\\cdtest.ini", "[s]\nk=current\n");
  char saved[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA("D:\\"));
  EXPECT_EQ(Read("s", "k", "default", "cdtest.ini"), "windows");
  EXPECT_EQ(Read("s", "k", "default", ".\\cdtest.ini"), "current");
  SetCurrentDirectoryA(saved);
}

TEST_F(ProfileTest, Windows1252BytesComeBackUnchanged) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte) high += static_cast<char>(byte);
  Write("[Configura\xE7\xE3o]\nDescri\xE7\xE3o=" + high + "\n");
  EXPECT_EQ(Read("Configura\xE7\xE3o", "Descri\xE7\xE3o"), high);
}

TEST_F(ProfileTest, Utf16FilesWithAByteOrderMarkAreConverted) {
  // "[s]\r\nk=ç€\r\n" in both byte orders.
  const std::u16string text = u"[s]\r\nk=\u00E7\u20AC\r\n";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t unit : text) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  Write(little);
  EXPECT_EQ(Read("s", "k"), "\xE7\x80");
  Write(big);
  EXPECT_EQ(Read("s", "k"), "\xE7\x80");
}

TEST_F(ProfileTest, Utf8IsReadAsWindows1252Bytes) {
  // The mark sticks to the first line, so a header there is not seen.
  Write("\xEF\xBB\xBF[hidden]\nk=1\n[s]\nk=\xC3\xA7\n");
  if (WineDepartsFromWindows("Wine reads a file with a UTF-8 mark as UTF-8")) return;
  EXPECT_EQ(Read("hidden", "k", "default"), "default");
  EXPECT_EQ(Read("s", "k"), "\xC3\xA7");
}

TEST_F(ProfileTest, NulEndsAValue) {
  Write("[s]\nk=ab\0cd\nnext=found\n"s);
  EXPECT_EQ(Read("s", "k"), "ab");
  EXPECT_EQ(Read("s", "next"), "found");
}

TEST_F(ProfileTest, FileHeldWithoutReadSharingGivesTheDefault) {
  Write("[s]\nk=v\n");
  ScopedHandle holder(OpenForTest(kIni, GENERIC_READ, FILE_SHARE_WRITE));
  ASSERT_TRUE(holder.Valid());
  EXPECT_EQ(Read("s", "k", "default"), "default");
  holder.Close();
  ScopedHandle writer(OpenForTest(kIni, GENERIC_WRITE, FILE_SHARE_READ));
  ASSERT_TRUE(writer.Valid());
  EXPECT_EQ(Read("s", "k", "default"), "v");
}

TEST_F(ProfileTest, NullSectionOrKeyListsNames) {
  Write("[section1]\nname1=val1\nname2=\nname3\n;comment=x\nname4=a\n[section2]\n");
  std::string raw = ReadRaw(nullptr, "ignored", 64);
  EXPECT_EQ(count_, 18u);
  EXPECT_EQ(raw.substr(0, 19), "section1\0section2\0\0"s);
  raw = ReadRaw("SECTION1", nullptr, 64);
  EXPECT_EQ(count_, 18u);
  EXPECT_EQ(raw.substr(0, 19), "name1\0name2\0name4\0\0"s);
  // A section with no keys, like a missing one, gives the default.
  raw = ReadRaw("section2", nullptr, 64);
  EXPECT_EQ(count_, 7u);
  EXPECT_EQ(raw.substr(0, 8), "default\0"s);
}

TEST_F(ProfileTest, NameListsThatDoNotFitEndInTwoNuls) {
  Write("[section1]\nname1=val1\nname2=\nname4=a\n[section2]\n[section3]\n");
  const bool wineEndsWithOneNul = WineDepartsFromWindows("Wine ends a cut list with one NUL");
  std::string raw = ReadRaw("section1", nullptr, 16);
  EXPECT_EQ(count_, 14u);
  if (!wineEndsWithOneNul) {
    EXPECT_EQ(raw.substr(0, 16), "name1\0name2\0na\0\0"s);
  }
  raw = ReadRaw(nullptr, nullptr, 29);
  EXPECT_EQ(count_, 27u);
  if (!wineEndsWithOneNul) {
    EXPECT_EQ(raw.substr(0, 28), "section1\0section2\0section3\0\0"s);
  }
  // An exact fit counts as not fitting: the count drops the last name's NUL.
  raw = ReadRaw(nullptr, nullptr, 28);
  EXPECT_EQ(count_, 26u);
  if (!wineEndsWithOneNul) {
    EXPECT_EQ(raw.substr(0, 28), "section1\0section2\0section3\0\0"s);
  }
  raw = ReadRaw(nullptr, nullptr, 27);
  EXPECT_EQ(count_, 25u);
  if (!wineEndsWithOneNul) {
    EXPECT_EQ(raw.substr(0, 27), "section1\0section2\0section\0\0"s);
  }
}

}  // namespace
}  // namespace cdinst::testing
