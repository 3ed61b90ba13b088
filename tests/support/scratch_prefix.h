// A throw-away Wine-style prefix for tests: drive C: is <tmp>/prefix/drive_c and drive D:
// (the medium) is <tmp>/medium, reached through dosdevices/d:. The emulation is pointed at it
// through CDINST_PREFIX for the fixture's lifetime, and everything is removed afterwards.
// On Windows (the seam's tests under Wine) C: is the system's own drive and D: is mapped to
// <tmp>\medium; "Unix" paths there are the Windows paths themselves.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::testing {

class ScratchPrefix {
 public:
  ScratchPrefix();
  // Linux only: the prefix is a copy of a real Wine prefix (hard links but for the registry files,
  // so it is cheap), with its own registry and drive C:, for running the Windows program and the
  // emulation alike.
  explicit ScratchPrefix(const std::string& winePrefixTemplate);
  ~ScratchPrefix();
  ScratchPrefix(const ScratchPrefix&) = delete;
  ScratchPrefix& operator=(const ScratchPrefix&) = delete;

  // The Unix path behind a Windows path on C: or D: (or any drive mapped with MapDrive),
  // spelled exactly as given (Windows-1252 names converted to UTF-8): for setting up and
  // inspecting files without going through the emulation.
  std::string Unix(std::string_view windowsPath) const;

  void MakeDirectory(std::string_view windowsPath) const;  // with missing parents
  void WriteFile(std::string_view windowsPath, std::string_view bytes) const;
  std::string ReadFile(std::string_view windowsPath) const;
  bool Exists(std::string_view windowsPath) const;
  void SetReadOnly(std::string_view windowsPath, bool readOnly) const;

  // Maps drive `letter` to a fresh directory (or to `unixTarget` when given) through
  // dosdevices, and returns the Unix directory.
  std::string MapDrive(char letter, std::string_view unixTarget = {}) const;

  const std::string& Directory() const { return directory_; }  // the temporary root
  std::string PrefixDirectory() const { return directory_ + "/prefix"; }

 private:
  std::string directory_;
  std::string savedPrefix_;
  bool hadPrefix_ = false;
  mutable std::string mappedDrives_;  // letters to unmap where drives are system-wide
};

}  // namespace cdinst::testing
