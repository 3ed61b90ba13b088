#include "program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

extern char** environ;

namespace cdinst::testing {
namespace {

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : extra) merged[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         const std::string& workDirectory) {
  const std::string transcript = workDirectory + "/transcript.jsonl";
  auto withTranscript = environment;
  withTranscript.emplace("CDINST_TRANSCRIPT", transcript);
  std::vector<std::string> command{CDINST_PROGRAM};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunCommand(command, withTranscript, transcript);
}

ProgramResult RunCommand(const std::vector<std::string>& command,
                         const std::map<std::string, std::string>& environment,
                         const std::string& transcript) {
  if (!transcript.empty()) unlink(transcript.c_str());
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<std::string> argv = command;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid;
  auto argvPointers = Pointers(argv);
  auto envPointers = Pointers(env);
  const int failed = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                  envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + argv[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  ProgramResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.peakMemoryKiB = usage.ru_maxrss;
  if (!transcript.empty()) result.transcript = ReadLines(transcript);
  return result;
}

std::string BoxLine(const std::string& caption, const std::string& text, int flags, int result) {
  auto escape = [](const std::string& s) {
    std::string out;
    for (char c : s) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    return out;
  };
  return "{\"caption\":\"" + escape(caption) + "\",\"text\":\"" + escape(text) +
         "\",\"flags\":" + std::to_string(flags) + ",\"result\":" + std::to_string(result) + "}";
}

}  // namespace cdinst::testing
