// LoadStringA over the program's string table, which Windows would take from the module.

#include "string_table.h"
#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/result_buffer.h"
#include "winapi/winapi.h"

namespace {

struct StringResource {
  UINT id;
  const char* text;
};

constexpr StringResource kStrings[] = {
    {IDS_APPLICATION_ERROR, IDS_APPLICATION_ERROR_TEXT},
};

}  // namespace

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
  const cdinst::posix::WindowsCall call;
  for (const StringResource& entry : kStrings) {
    if (entry.id != id) continue;
    if (size <= 0) return 0;
    return static_cast<int>(cdinst::posix::CopyTextCut(entry.text, buffer, size));
  }
  if (size > 0) buffer[0] = '\0';
  return cdinst::posix::FailWith(0, ERROR_RESOURCE_NAME_NOT_FOUND);
}
