#include "discimage/cue_sheet.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <vector>

#include "discimage/disc_image.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

constexpr uint32_t kFramesPerSecond = 75;

// The words of a line; a quoted word may hold blanks.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
    } else if (line[i] == '"') {
      const size_t end = line.find('"', i + 1);
      words.emplace_back(line.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
      i = end == std::string_view::npos ? line.size() : end + 1;
    } else {
      size_t end = i;
      while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
      words.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

std::string Upper(std::string word) {
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

std::optional<SectorLayout> DataTrackLayout(const std::string& mode) {
  if (mode == "MODE1/2048") return SectorLayout{0, 2048, 0};
  if (mode == "MODE1/2352") return SectorLayout{0, 2352, 16};
  if (mode == "MODE2/2352") return SectorLayout{0, 2352, 24};  // form 1: subheader first
  return std::nullopt;
}

// "mm:ss:ff" as a count of frames.
std::optional<uint64_t> Frames(const std::string& text) {
  unsigned minutes = 0, seconds = 0, frames = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%3u:%2u:%2u%c", &minutes, &seconds, &frames, &tail) != 3 ||
      seconds >= 60 || frames >= kFramesPerSecond) {
    return std::nullopt;
  }
  return (uint64_t{minutes} * 60 + seconds) * kFramesPerSecond + frames;
}

struct SheetState {
  std::optional<std::string> file;  // the current BINARY file
  std::optional<CueTrack> track;    // the first data track, until its INDEX 01
  bool inDataTrack = false;
};

// True once the first data track's start is known.
bool TakeLine(const std::vector<std::string>& words, SheetState& state, CueTrack& found,
              const std::string& sheetName) {
  const std::string command = Upper(words[0]);
  if (command == "FILE" && words.size() >= 3) {
    state.file.reset();
    if (Upper(words[2]) == "BINARY") state.file = words[1];
  } else if (command == "TRACK" && words.size() >= 3) {
    const std::optional<SectorLayout> layout = DataTrackLayout(Upper(words[2]));
    state.inDataTrack = layout && state.file;
    if (state.inDataTrack) state.track = CueTrack{*state.file, *layout};
  } else if (command == "INDEX" && words.size() >= 3 && state.inDataTrack && words[1] == "01") {
    const std::optional<uint64_t> frames = Frames(words[2]);
    if (!frames) throw DiscError(sheetName, Translated("not a cue sheet (a bad INDEX time)"));
    // Tracks before it in the same file are taken to share its sector size, as they do on
    // every disc a CD writer reads whole.
    found = *state.track;
    found.layout.base = *frames * found.layout.sectorSize;
    return true;
  }
  return false;
}

}  // namespace

CueTrack ParseCueSheet(std::string_view text, const std::string& sheetName) {
  // Sheets saved by Windows editors may start with a UTF-8 byte order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  SheetState state;
  CueTrack found;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string> words = Words(text.substr(start, end - start));
    if (!words.empty() && TakeLine(words, state, found, sheetName)) return found;
    start = end + 1;
  }
  throw DiscError(sheetName, Translated("not a cue sheet with a data track in a binary file"));
}

}  // namespace cdinst::disc
