#include "system_reg.h"

#include <cstdio>
#include <fstream>

#include "codepage/windows1252.h"

namespace cdinst::testing {

std::string RegString(const std::string& windows1252) {
  std::string out = "\"";
  for (unsigned char c : windows1252) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\x%04x",
                    static_cast<unsigned>(Windows1252ToUnicode(c)));
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void WriteSystemReg(const ScratchPrefix& prefix, const std::string& valueLines, bool wow64,
                    const std::string& nativeValueLines) {
  const std::string key = "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion";
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
  text += wow64 ? "#arch=win64\n" : "#arch=win32\n";
  if (wow64) {
    text += "\n[" + key + "] 1700000000\n#time=1da0000000000000\n" + nativeValueLines + "\n";
    text += "\n[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1700000000\n";
  } else {
    text += "\n[" + key + "] 1700000000\n";
  }
  text += "#time=1da0000000000000\n" + valueLines + "\n";
  std::ofstream(prefix.PrefixDirectory() + "/system.reg", std::ios::binary | std::ios::trunc)
      << text;
}

}  // namespace cdinst::testing
