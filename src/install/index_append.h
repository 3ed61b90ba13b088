// Readying the end of an existing index file for one more line.
#pragma once

#include <optional>
#include <string>

#include "install/index_file.h"

namespace cdinst {

// For a file opened for appending: cuts it at the first Ctrl-Z among its last 128 bytes (a
// Ctrl-Z further back is left alone), and leaves the file pointer at its new end. Returns what
// has to go in front of the new line: CR LF when the file's last line lacks a line break, else
// nothing. Returns no value when reading the size, positioning, reading the tail or cutting
// fails; the file is then unchanged.
std::optional<std::string> PrepareAppend(IndexFile& file);

}  // namespace cdinst
