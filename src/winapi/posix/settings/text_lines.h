// Splitting a text file's content into lines, each ended by CR LF, LF or CR, in one pass.
#pragma once

#include <string_view>

namespace cdinst::posix {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}

  // The next line without its end; false after the last one.
  bool Next(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    size_t end = text_.find_first_of("\r\n", position_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(position_, end - position_);
    position_ = end + 1;
    if (end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n') ++position_;
    return true;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
};

}  // namespace cdinst::posix
