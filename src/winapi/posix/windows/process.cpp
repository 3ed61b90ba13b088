// The process as the program sees it: its command line, module and thread.
#include <link.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codepage/windows1252.h"
#include "winapi/posix/call_count.h"
#include "winapi/posix/command_line.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/progress.h"
#include "winapi/posix/result_buffer.h"
#include "winapi/posix/stop_signals.h"
#include "winapi/winapi.h"

namespace {

bool NeedsQuotes(const std::string& argument) {
  if (argument.empty()) return true;
  for (unsigned char c : argument) {
    if (c >= 1 && c <= 32) return true;
  }
  return false;
}

std::string CommandLineFromArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  for (size_t start = 0; start < raw.size();) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    arguments.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  return cdinst::posix::WindowsCommandLine(arguments);
}

int FirstModule(struct dl_phdr_info* info, size_t, void* base) {
  *static_cast<uintptr_t*>(base) = info->dlpi_addr;
  return 1;
}

}  // namespace

namespace cdinst::posix {

std::string WindowsCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& utf8 : arguments) {
    const std::string argument = Utf8ToWindows1252(utf8);
    std::string written;
    for (char c : argument) written += c == '"' ? std::string("\"\"") : std::string(1, c);
    if (!line.empty()) line += ' ';
    line += NeedsQuotes(argument) ? "\"" + written + "\"" : written;
  }
  return line;
}

}  // namespace cdinst::posix

LPSTR GetCommandLineA() {
  const cdinst::posix::WindowsCall call;
  static std::string line = CommandLineFromArguments();
  return line.data();
}

void PostQuitMessage(int) {
  const cdinst::posix::WindowsCall call;
  // Nothing reads a message queue here; the request has no effect, as in the program.
}

void ExitProcess(UINT exitCode) {
  if (cdinst::posix::Progress()) cdinst::posix::Progress()->TerminalNeeded();
  cdinst::posix::EndIfStopped();
  std::exit(static_cast<int>(exitCode));
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  const cdinst::posix::WindowsCall call;
  if (moduleName != nullptr) return cdinst::posix::FailWith(HMODULE{}, ERROR_FILE_NOT_FOUND);
  uintptr_t base = 0;
  dl_iterate_phdr(FirstModule, &base);
  return reinterpret_cast<HMODULE>(base);
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  const cdinst::posix::WindowsCall call;
  char unixPath[4096];
  const ssize_t length = readlink("/proc/self/exe", unixPath, sizeof unixPath - 1);
  if (length < 0) return 0;
  std::string path = "Z:" + cdinst::Utf8ToWindows1252(std::string(unixPath, length));
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  const DWORD copied = cdinst::posix::CopyTextCut(path, buffer, size);
  if (copied < path.size()) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return copied;
}

DWORD GetCurrentThreadId() {
  const cdinst::posix::WindowsCall call;
  return static_cast<DWORD>(syscall(SYS_gettid));
}
