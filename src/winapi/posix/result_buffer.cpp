#include "winapi/posix/result_buffer.h"

#include <cstring>

namespace cdinst::posix {

DWORD CopyTextResult(std::string_view text, LPSTR buffer, DWORD size) {
  const DWORD length = static_cast<DWORD>(text.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

DWORD CopyTextCut(std::string_view text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  const DWORD count = text.size() < size ? static_cast<DWORD>(text.size()) : size - 1;
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

}  // namespace cdinst::posix
