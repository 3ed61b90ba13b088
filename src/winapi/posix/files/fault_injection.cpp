#include "winapi/posix/files/fault_injection.h"

#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace cdinst::posix {
namespace {

struct Countdown {
  unsigned remaining = 0;  // calls until the failing one, that one included; 0: disarmed
  DWORD code = 0;

  // The code for this call, or 0.
  DWORD Take() {
    if (remaining == 0 || --remaining != 0) return 0;
    return code;
  }
};

struct FaultState {
  bool environmentRead = false;
  Countdown read;
  Countdown write;
  bool byteLimitArmed = false;
  uint64_t remainingBytes = 0;
  DWORD byteLimitCode = 0;
};

FaultState& State() {
  static FaultState state;
  return state;
}

struct FaultItem {
  std::string_view kind;
  uint64_t count = 0;
  DWORD code = 0;
};

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseItem(std::string_view text, FaultItem& item) {
  const size_t first = text.find(':');
  const size_t second = text.find(':', first == text.npos ? first : first + 1);
  if (second == text.npos) return false;
  item.kind = text.substr(0, first);
  if (!ParseNumber(text.substr(first + 1, second - first - 1), item.count)) return false;
  if (!ParseNumber(text.substr(second + 1), item.code) || item.code == 0) return false;
  if (item.kind == "writebytes") return true;
  return (item.kind == "read" || item.kind == "write") && item.count >= 1 &&
         item.count <= std::numeric_limits<unsigned>::max();
}

void Arm(FaultState& state, const FaultItem& item) {
  if (item.kind == "read") {
    state.read = {static_cast<unsigned>(item.count), item.code};
  } else if (item.kind == "write") {
    state.write = {static_cast<unsigned>(item.count), item.code};
  } else {
    state.byteLimitArmed = true;
    state.remainingBytes = item.count;
    state.byteLimitCode = item.code;
  }
}

bool ArmFromText(FaultState& state, std::string_view faults) {
  std::vector<FaultItem> items;
  while (!faults.empty()) {
    const size_t comma = faults.find(',');
    if (!ParseItem(faults.substr(0, comma), items.emplace_back())) return false;
    faults = comma == faults.npos ? std::string_view() : faults.substr(comma + 1);
  }
  for (const FaultItem& item : items) Arm(state, item);
  return true;
}

// Malformed text in the variable arms nothing: a test that misspells it sees no fault at all.
void ReadEnvironmentOnce(FaultState& state) {
  if (state.environmentRead) return;
  state.environmentRead = true;
  if (const char* faults = std::getenv("CDINST_FAULT")) ArmFromText(state, faults);
}

}  // namespace

void ResetFaults() {
  FaultState& state = State();
  state.environmentRead = false;
  state.read = {};
  state.write = {};
  state.byteLimitArmed = false;
}

bool ArmFaults(std::string_view faults) { return ArmFromText(State(), faults); }

DWORD TakeReadFault() {
  FaultState& state = State();
  ReadEnvironmentOnce(state);
  return state.read.Take();
}

WriteFault TakeWriteFault(DWORD count) {
  FaultState& state = State();
  ReadEnvironmentOnce(state);
  if (const DWORD code = state.write.Take()) return {0, code};
  if (!state.byteLimitArmed || count <= state.remainingBytes) {
    if (state.byteLimitArmed) state.remainingBytes -= count;
    return {count, 0};
  }
  const auto allowed = static_cast<DWORD>(state.remainingBytes);
  state.remainingBytes = 0;
  return {allowed, state.byteLimitCode};
}

}  // namespace cdinst::posix
