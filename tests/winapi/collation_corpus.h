// A generated corpus of Windows-1252 name pairs for comparing CompareStringA on both sides of
// the seam: each pair is a name and a variant of it made by one kind of change.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace cdinst::testing {

struct NamePair {
  std::string kind, first, second;
};

namespace corpus {

// Letters that share a base letter, and the letters that weigh as two.
inline const std::vector<std::string> kFamilies = {
    "aA\xE0\xE1\xE2\xE3\xE4\xE5\xC0\xC1\xC2\xC3\xC4\xC5\xAA",
    "cC\xE7\xC7",
    "dD\xF0\xD0",
    "eE\xE8\xE9\xEA\xEB\xC8\xC9\xCA\xCB",
    "iI\xEC\xED\xEE\xEF\xCC\xCD\xCE\xCF",
    "nN\xF1\xD1",
    "oO\xF2\xF3\xF4\xF5\xF6\xF8\xD2\xD3\xD4\xD5\xD6\xD8\xBA",
    "sS\x9A\x8A",
    "uU\xF9\xFA\xFB\xFC\xD9\xDA\xDB\xDC",
    "yY\xFD\xFF\xDD\x9F",
    "zZ\x9E\x8E"};
inline const std::vector<std::pair<std::string, std::string>> kExpansions = {
    {"\xDF", "ss"}, {"\xE6", "ae"}, {"\xC6", "AE"}, {"\x9C", "oe"},
    {"\x8C", "OE"}, {"\xFE", "th"}, {"\xDE", "TH"}};
inline const std::string kSigns = " -'";
inline const std::string kOthers =
    "0123456789!#$%&()+,.;=@[]^_`{}~\x80\x82\x84\x85\x86\x89\x91\x92\x93\x96\x97\x98\xA0\xA1"
    "\xA2\xA3\xA7\xA8\xA9\xAB\xAD\xAE\xB0\xB1\xB2\xB4\xB5\xB7\xBB\xBC\xBF\xD7\xF7";

class Generator {
 public:
  std::string Name() {
    std::string name;
    for (size_t length = 1 + Below(8); name.size() < length;) name += Character();
    return name;
  }

  NamePair Pair() {
    const std::string name = Name();
    switch (Below(6)) {
      case 0:
        return {"accent or case", name, Replaced(name, Letter())};
      case 1:
        return {"sign inserted", name, Inserted(name, kSigns[Below(kSigns.size())])};
      case 2:
        return {"other inserted", name, Inserted(name, kOthers[Below(kOthers.size())])};
      case 3:
        return Expanded(name);
      case 4:
        return {"swapped", name, Swapped(name)};
      default:
        return {"unrelated", name, Name()};
    }
  }

 private:
  // Raw engine output keeps the corpus the same with every standard library.
  size_t Below(size_t bound) { return static_cast<size_t>(engine_() % bound); }

  char Letter() {
    const std::string& family = kFamilies[Below(kFamilies.size())];
    return family[Below(family.size())];
  }

  char Character() {
    switch (Below(8)) {
      case 0:
        return kSigns[Below(kSigns.size())];
      case 1:
        return kOthers[Below(kOthers.size())];
      case 2:
        return static_cast<char>('a' + Below(26));
      default:
        return Letter();
    }
  }

  // `name` with one letter replaced by another of its family (or by `fallback`).
  std::string Replaced(std::string name, char fallback) {
    const size_t at = Below(name.size());
    for (const std::string& family : kFamilies) {
      if (family.find(name[at]) != std::string::npos) {
        name[at] = family[Below(family.size())];
        return name;
      }
    }
    name[at] = fallback;
    return name;
  }

  std::string Inserted(std::string name, char c) {
    name.insert(Below(name.size() + 1), 1, c);
    return name;
  }

  std::string Swapped(std::string name) {
    const size_t at = Below(name.size());
    std::swap(name[at], name[(at + 1) % name.size()]);
    return name;
  }

  NamePair Expanded(const std::string& name) {
    const auto& [one, two] = kExpansions[Below(kExpansions.size())];
    const size_t at = Below(name.size() + 1);
    std::string first = name, second = name;
    first.insert(at, one);
    second.insert(at, Below(2) ? two : two.substr(0, 1));
    return {"expansion", first, second};
  }

  std::mt19937 engine_{20240615};
};

}  // namespace corpus

inline std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const unsigned char c : text) hex += {kDigits[c >> 4], kDigits[c & 15]};
  return hex;
}

inline std::string FromHex(const std::string& hex) {
  std::string text;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return text;
}

// The corpus: always the same pairs, in the same order.
inline std::vector<NamePair> CollationCorpus(size_t count = 24000) {
  corpus::Generator generator;
  std::vector<NamePair> pairs;
  while (pairs.size() < count) pairs.push_back(generator.Pair());
  return pairs;
}

}  // namespace cdinst::testing
