// Running the built program as the medium's menu program would, with the scripting
// environment, and reading what it showed.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace cdinst::testing {

struct ProgramResult {
  int exitCode = -1;
  std::vector<std::string> transcript;  // one JSON line per message box
  long peakMemoryKiB = 0;               // the largest resident size the program reached
};

// Runs the program with `arguments` (argv[1..], UTF-8) and the environment plus `environment`
// (CDINST_TRANSCRIPT is set to a file in `workDirectory`), stdin from /dev/null.
ProgramResult RunProgram(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         const std::string& workDirectory);

// Runs `command` (a program found on PATH, then its arguments) with the environment plus
// `environment`, stdin from /dev/null, and reads the transcript the program was told to write
// (none when `transcript` is empty).
ProgramResult RunCommand(const std::vector<std::string>& command,
                         const std::map<std::string, std::string>& environment,
                         const std::string& transcript);

// A run's exit code and what it wrote.
struct CapturedRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `command` as RunCommand does, with `input` on stdin and stdout and stderr captured
// (through files in `workDirectory`).
CapturedRun RunCapturing(const std::vector<std::string>& command,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input, const std::string& workDirectory);

// What the transcript shows of a box: its flags and the answer.
inline constexpr int kQuestion = 0x2004;  // MB_TASKMODAL | MB_YESNO
inline constexpr int kNotice = 0x2000;    // MB_TASKMODAL
inline constexpr int kOk = 1;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;

// The transcript line a box leaves, texts given in UTF-8.
std::string BoxLine(const std::string& caption, const std::string& text, int flags, int result);

}  // namespace cdinst::testing
