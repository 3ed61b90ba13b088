// A settings file read once into an index answers every lookup as GetPrivateProfileStringA
// answers it from the file, so that a listing and the installer agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_prefix.h"
#include "winapi/posix/profile_index.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

using namespace std::string_literals;

constexpr const char* kIni = "D:\\DADOS\\PROGS.INI";
constexpr char kMissing[] = "<missing>";

// A value or name list (names NUL-ended) as the API gives it; `key` null lists names.
std::string ApiRead(const char* section, const char* key) {
  std::string buffer(1 << 16, '\0');
  const DWORD count =
      GetPrivateProfileStringA(section, key, kMissing, buffer.data(), buffer.size(), kIni);
  return buffer.substr(0, count);
}

std::string Joined(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  return list;
}

TEST(ProfileIndexTest, AnswersAsTheFileIsReadAtEveryCall) {
  const std::string texts[] = {
      "[One]\r\nk=1\r\n[one]\r\nk=2\r\nx=3\r\n",
      "pre=0\n[S]\n K = \"quoted\" \n k=second\n;c=hidden\n=empty\n[]\nz=9\n[ T ]\nv='a'\n",
      "[\xC7\xC3O]\n\xCDndice=1\n[\xE7\xE3o]\n\xEDNDICE=2\nk=v\0tail\n\x1A"s,
      "[A\tB]\nNome\t1=x\n[Br]acket]\nk=1\n[Open\nk2=2\n",
      "\xFF\xFE[\0S\0]\0\n\0k\0=\0\xE7\0\n\0"s,
  };
  const std::vector<std::string> extraSections = {"", "one", " s ", "missing", "\xE7\xE3o"};
  const std::vector<std::string> extraKeys = {"", "k", "K ", ";c", "\xCDNDICE", "nome\t1", "no"};
  for (const std::string& text : texts) {
    ScratchPrefix prefix;
    prefix.WriteFile(kIni, text);
    const posix::ProfileIndex index(*posix::LoadProfile(kIni));
    EXPECT_EQ(Joined(index.SectionNames()), ApiRead(nullptr, nullptr)) << text;
    std::vector<std::string> sections = index.SectionNames();
    sections.insert(sections.end(), extraSections.begin(), extraSections.end());
    for (const std::string& section : sections) {
      const std::string shown = text + " [" + section + "]";
      const std::string names = Joined(index.KeyNames(section));
      EXPECT_EQ(names.empty() ? kMissing : names, ApiRead(section.c_str(), nullptr)) << shown;
      std::vector<std::string> keys = index.KeyNames(section);
      keys.insert(keys.end(), extraKeys.begin(), extraKeys.end());
      for (const std::string& key : keys) {
        EXPECT_EQ(index.Value(section, key).value_or(kMissing),
                  ApiRead(section.c_str(), key.c_str()))
            << shown << " " << key;
      }
    }
  }
}

}  // namespace
}  // namespace cdinst::testing
