// The one record a run works from: the command-line values, then what the registry and the
// medium's settings files resolve. Windows-1252 texts, empty until set.
#pragma once

#include <cstddef>
#include <string>

namespace cdinst {

// A parameter holds at most this many characters; the rest of a longer one is dropped.
constexpr size_t kMaxParameterLength = 4096;

struct InstallSettings {
  // From the command line.
  std::string AppTitle;
  std::string SourceRoot;  // the medium's root, with its trailing backslash
  std::string ProgramSection;
  std::string VariantSuffix;
  std::string FileMask;
  // Resolved.
  std::string ProgramFilesDir;  // no trailing backslash, or "C:"
  std::string MultiSection;
  std::string ProgramName;
  std::string Description;
  std::string OriginPath;       // relative to SourceRoot
  std::string DestinationPath;  // may still carry a special destination name
};

}  // namespace cdinst
