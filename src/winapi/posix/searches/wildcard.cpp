#include "winapi/posix/searches/wildcard.h"

#include <algorithm>

#include "codepage/windows1252.h"

namespace cdinst::posix {
namespace {

unsigned char Upper(char c) { return UpperWindows1252(static_cast<unsigned char>(c)); }

}  // namespace

FileNamePattern::FileNamePattern(std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*.*.") pattern = "*";
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    switch (pattern[i]) {
      case '?':
        tokens_.push_back({Kind::kDosQuestion, 0});
        break;
      case '*':
        tokens_.push_back({next == '.' ? Kind::kDosStar : Kind::kStar, 0});
        break;
      case '.':
        if (next == '?' || next == '*') {
          tokens_.push_back({Kind::kDosDot, 0});
        } else if (i + 1 < pattern.size()) {
          tokens_.push_back({Kind::kLiteral, '.'});
        }
        break;
      default:
        tokens_.push_back({Kind::kLiteral, Upper(pattern[i])});
    }
  }
}

// Walks the tokens over the set of name positions reachable so far.
bool FileNamePattern::Matches(std::string_view name) const {
  if (MatchesEverything()) return true;
  const size_t end = name.size();
  const size_t lastDot = name.rfind('.');
  std::vector<bool> reached(end + 1, false);
  reached[0] = true;
  for (const Token& token : tokens_) {
    std::vector<bool> next(end + 1, false);
    for (size_t at = 0; at <= end; ++at) {
      if (!reached[at]) continue;
      const bool atDot = at < end && name[at] == '.';
      switch (token.kind) {
        case Kind::kLiteral:
          if (at < end && Upper(name[at]) == token.letter) next[at + 1] = true;
          break;
        case Kind::kStar:
          std::fill(next.begin() + at, next.end(), true);
          break;
        case Kind::kDosStar: {
          const size_t limit = lastDot != std::string_view::npos && at <= lastDot ? lastDot : end;
          std::fill(next.begin() + at, next.begin() + limit + 1, true);
          break;
        }
        case Kind::kDosQuestion:
          next[at == end || atDot ? at : at + 1] = true;
          break;
        case Kind::kDosDot:
          if (atDot) next[at + 1] = true;
          if (at == end) next[at] = true;
          break;
      }
    }
    reached.swap(next);
  }
  return reached[end];
}

}  // namespace cdinst::posix
