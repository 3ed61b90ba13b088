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

// The file's last bytes, from two before the cut window on, and where they start.
struct Tail {
  uint64_t windowStart = 0;
  uint64_t readStart = 0;
  std::string bytes;
};

std::optional<Tail> ReadTail(IndexFile& file, uint64_t size) {
  Tail tail;
  tail.windowStart = size > kCutWindow ? size - kCutWindow : 0;
  // Two bytes before the window as well, so that a cut at the window's start still shows
  // whether the line before it was ended.
  tail.readStart = tail.windowStart > 2 ? tail.windowStart - 2 : 0;
  if (!file.MoveTo(tail.readStart)) return std::nullopt;
  std::optional<std::string> bytes = file.ReadBytes(static_cast<uint32_t>(size - tail.readStart));
  if (!bytes) return std::nullopt;
  tail.bytes = std::move(*bytes);
  return tail;
}

// Another Linux program may be appending meanwhile, unstopped by share modes, and a read can
// see its line part written; a tail that ends inside a line while the file has grown since is
// read again, a few times at most.
std::optional<Tail> ReadCompleteTail(IndexFile& file) {
  constexpr int kMostReads = 4;
  std::optional<uint64_t> size = file.Size();
  for (int read = 1;; ++read) {
    if (!size) return std::nullopt;
    std::optional<Tail> tail = ReadTail(file, *size);
    if (!tail || tail->bytes.empty() || EndsLine(tail->bytes, tail->bytes.size())) return tail;
    const std::optional<uint64_t> now = file.Size();
    if (read == kMostReads || now == size) return tail;
    size = now;
  }
}

}  // namespace

std::optional<std::string> PrepareAppend(IndexFile& file) {
  const std::optional<Tail> tail = ReadCompleteTail(file);
  if (!tail) return std::nullopt;
  // Having read the whole tail, the file pointer already stands at the end.
  const size_t cut = tail->bytes.find(kEndOfText, tail->windowStart - tail->readStart);
  if (cut == std::string::npos) return LineBreakAfter(tail->bytes, tail->bytes.size());
  if (!file.MoveTo(tail->readStart + cut) || !file.EndHere()) return std::nullopt;
  return LineBreakAfter(tail->bytes, cut);
}

}  // namespace cdinst
