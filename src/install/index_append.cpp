#include "install/index_append.h"

#include <cstdint>

namespace cdinst {
namespace {

constexpr char kEndOfText = '\x1A';  // Ctrl-Z
constexpr uint64_t kCutWindow = 128;

// An LF is the last byte of every CR LF. A bare CR ends a line by the index's reading rules too,
// and a bare LF ends it for the programs that write such files, which would take an added CR LF
// for an empty line.
bool EndsLine(char last) { return last == '\r' || last == '\n'; }

std::string LineBreakAfter(const std::string& tail, size_t end) {
  if (end == 0 || EndsLine(tail[end - 1])) return std::string();
  return "\r\n";
}

}  // namespace

std::optional<std::string> PrepareAppend(IndexFile& file) {
  const std::optional<uint64_t> size = file.Size();
  if (!size) return std::nullopt;
  const uint64_t windowStart = *size > kCutWindow ? *size - kCutWindow : 0;
  // One byte before the window as well, so that a cut at the window's start still shows
  // whether the line before it was ended.
  const uint64_t readStart = windowStart > 0 ? windowStart - 1 : 0;
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
