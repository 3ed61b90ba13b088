#include "platform/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codepage/windows1252.h"

namespace cdinst {
namespace {

// The answer CDINST_ANSWER gives for a box, or 0 when the user is to be asked.
int ScriptedAnswer(UINT flags) {
  const char* answer = std::getenv("CDINST_ANSWER");
  if (answer == nullptr) return 0;
  const bool yes = std::strcmp(answer, "yes") == 0;
  if (!yes && std::strcmp(answer, "no") != 0) return 0;
  if ((flags & MB_TYPEMASK) != MB_YESNO) return IDOK;
  return yes ? IDYES : IDNO;
}

std::string JsonString(const std::string& windows1252) {
  std::string out = "\"";
  for (unsigned char c : Windows1252ToUtf8(windows1252)) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

void AppendToTranscript(const std::string& line) {
  const char* path = std::getenv("CDINST_TRANSCRIPT");
  if (path == nullptr || *path == '\0') return;
  // One write of the whole line in append mode, so concurrent runs never interleave.
  if (FILE* file = std::fopen(path, "ab")) {
    const std::string withEnd = line + "\n";
    std::setvbuf(file, nullptr, _IOFBF, withEnd.size() + 1);
    std::fwrite(withEnd.data(), 1, withEnd.size(), file);
    std::fclose(file);
  }
}

}  // namespace

std::string TranscriptLine(const std::string& caption, const std::string& text, UINT flags,
                           int result) {
  return "{\"caption\":" + JsonString(caption) + ",\"text\":" + JsonString(text) +
         ",\"flags\":" + std::to_string(flags) + ",\"result\":" + std::to_string(result) + "}";
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  int result = ScriptedAnswer(flags);
  if (result == 0) result = MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  AppendToTranscript(TranscriptLine(caption, text, flags, result));
  return result;
}

}  // namespace cdinst
