// LoadStringA over the program's string table, which Windows would take from the module.
#include <cstring>

#include "string_table.h"
#include "winapi/posix/last_error.h"
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
  for (const StringResource& entry : kStrings) {
    if (entry.id != id) continue;
    if (size <= 0) return 0;
    const int length = static_cast<int>(std::strlen(entry.text));
    const int copied = length < size ? length : size - 1;
    std::memcpy(buffer, entry.text, copied);
    buffer[copied] = '\0';
    return copied;
  }
  if (size > 0) buffer[0] = '\0';
  return cdinst::posix::FailWith(0, ERROR_RESOURCE_NAME_NOT_FOUND);
}
