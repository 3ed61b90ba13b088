// File-name patterns as Windows' directory searches apply them.
#pragma once

#include <string_view>
#include <vector>

namespace cdinst::posix {

// A pattern such as "*.txt" or "abc.???", rewritten the way Windows rewrites it before
// matching: "*.*" means "*"; '?' matches one character, or nothing at the end of the name or
// before a dot; a '*' followed by a dot does not run past the name's last dot; a dot followed
// by a wildcard also matches the end of the name; a final dot is dropped ("*." finds names
// without a dot).
class FileNamePattern {
 public:
  explicit FileNamePattern(std::string_view pattern);

  // True when all of the Windows-1252 `name` matches, letter case ignored.
  bool Matches(std::string_view name) const;

  // True when it matches every name ("*", "*.*").
  bool MatchesEverything() const { return tokens_.size() == 1 && tokens_[0].kind == Kind::kStar; }

 private:
  enum class Kind : unsigned char { kLiteral, kStar, kDosStar, kDosQuestion, kDosDot };
  struct Token {
    Kind kind;
    unsigned char letter;  // kLiteral only, upper-cased
  };

  std::vector<Token> tokens_;
};

}  // namespace cdinst::posix
