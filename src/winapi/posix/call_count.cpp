#include "winapi/posix/call_count.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace cdinst::posix {
namespace {

std::map<std::string, unsigned long long>& Counts() {
  static std::map<std::string, unsigned long long> counts;
  return counts;
}

thread_local int depth = 0;

void WriteCounts() {
  const char* file = std::getenv("CDINST_CALL_COUNT");
  if (file == nullptr || *file == '\0') return;
  std::vector<std::pair<unsigned long long, std::string>> byCount;
  unsigned long long total = 0;
  for (const auto& [function, count] : Counts()) {
    byCount.emplace_back(count, function);
    total += count;
  }
  std::sort(byCount.rbegin(), byCount.rend());
  if (std::FILE* out = std::fopen(file, "w")) {
    std::fprintf(out, "%llu\n", total);
    for (const auto& [count, function] : byCount) {
      std::fprintf(out, "%s %llu\n", function.c_str(), count);
    }
    std::fclose(out);
  }
}

}  // namespace

// Only a run asked to count pays for it.
const bool counting = std::getenv("CDINST_CALL_COUNT") != nullptr;

WindowsCall::WindowsCall(const char* function) {
  if (!counting || depth++ > 0) return;
  if (Counts().empty()) std::atexit(WriteCounts);
  ++Counts()[function];
}

WindowsCall::~WindowsCall() {
  if (counting) --depth;
}

}  // namespace cdinst::posix
