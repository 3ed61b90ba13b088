// A throw-away Wine-style prefix for the fuzz targets that go through the emulation's files:
// drive C: only, made once per process and removed at its end.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::fuzz {

// The prefix's drive C: as a Unix directory; the first call makes the prefix and points
// CDINST_PREFIX at it.
const std::string& DriveC();

// Replaces the file at `unixPath` with `bytes`.
void WriteBytes(const std::string& unixPath, std::string_view bytes);
std::string ReadBytes(const std::string& unixPath);

// Ends the process with a report when `holds` is false: libFuzzer keeps the input.
void Require(bool holds, const char* what);

}  // namespace cdinst::fuzz
