// A CUE sheet: which file holds the disc's first data track, and where its blocks are.
#pragma once

#include <string>
#include <string_view>

#include "discimage/sector_source.h"

namespace cdinst::disc {

struct CueTrack {
  std::string file;  // as the sheet names it
  SectorLayout layout;
};

// Parses the text of the sheet `sheetName`. Raises DiscError when it names no BINARY file with
// a MODE1/2048, MODE1/2352 or MODE2/2352 track and that track's INDEX 01.
CueTrack ParseCueSheet(std::string_view text, const std::string& sheetName);

}  // namespace cdinst::disc
