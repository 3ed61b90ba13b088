#include "install/index_append.h"

#include <cstdint>

namespace cdinst {
namespace {

constexpr char kEndOfText = '\x1A';  // Ctrl-Z
constexpr uint64_t kCutWindow = 128;

// By the index's reading rules a line ends at a CR, with one LF after it belonging to that end;
// a bare LF is an ordinary character, so a text ending in one ends in an unended line.
bool EndsLine(const std::string& tail, size_t end) {
  const char last = tail[end - 1];
  return last == '\r' || (last == '\n' && end >= 2 && tail[end - 2] == '\r');
}

// `end` is where the readable text stops in `tail`; `tail` starts at the file's start, or holds
// two bytes before the text's end at least.
std::string LineBreakAfter(const std::string& tail, size_t end) {
  if (end == 0 || EndsLine(tail, end)) return std::string();
  return "\r\n";
}

}  // namespace

std::optional<std::string> PrepareAppend(IndexFile& file) {
  const std::optional<uint64_t> size = file.Size();
  if (!size) return std::nullopt;
  const uint64_t windowStart = *size > kCutWindow ? *size - kCutWindow : 0;
  // Two bytes before the window as well, so that a cut at the window's start still shows
  // whether the line before it was ended.
  const uint64_t readStart = windowStart > 2 ? windowStart - 2 : 0;
  if (!file.MoveTo(readStart)) return std::nullopt;
  const std::optional<std::string> tail = file.ReadBytes(static_cast<uint32_t>(*size - readStart));
  if (!tail) return std::nullopt;
  // Having read the whole tail, the file pointer already stands at the end.
  const size_t cut = tail->find(kEndOfText, windowStart - readStart);
  if (cut == std::string::npos) return LineBreakAfter(*tail, tail->size());
  if (!file.MoveTo(readStart + cut) || !file.EndHere()) return std::nullopt;
  return LineBreakAfter(*tail, cut);
}

}  // namespace cdinst
