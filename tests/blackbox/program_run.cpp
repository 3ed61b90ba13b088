#include "program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
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

struct FileActions {
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t actions;
};

// Spawns `command` with `actions` and waits for it; the exit code, or 128 + the signal.
int SpawnAndWait(const std::vector<std::string>& command,
                 const std::map<std::string, std::string>& environment,
                 const posix_spawn_file_actions_t& actions, struct rusage& usage) {
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<std::string> argv = command;
  pid_t pid;
  auto argvPointers = Pointers(argv);
  auto envPointers = Pointers(env);
  const int failed = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                  envPointers.data());
  if (failed) throw std::runtime_error("cannot start " + argv[0]);
  int status = 0;
  wait4(pid, &status, 0, &usage);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ProgramResult result;
  struct rusage usage {};
  result.exitCode = SpawnAndWait(command, environment, files.actions, usage);
  result.peakMemoryKiB = usage.ru_maxrss;
  if (!transcript.empty()) result.transcript = ReadLines(transcript);
  return result;
}

CapturedRun RunCapturing(const std::vector<std::string>& command,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input, const std::string& workDirectory) {
  const std::string in = workDirectory + "/stdin", out = workDirectory + "/stdout",
                    err = workDirectory + "/stderr";
  std::ofstream(in, std::ios::binary) << input;
  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, in.c_str(), O_RDONLY, 0);
  for (const auto& [fd, path] : {std::pair{STDOUT_FILENO, &out}, std::pair{STDERR_FILENO, &err}}) {
    posix_spawn_file_actions_addopen(&files.actions, fd, path->c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  CapturedRun result;
  struct rusage usage {};
  result.exitCode = SpawnAndWait(command, environment, files.actions, usage);
  result.out = ReadWhole(out);
  result.err = ReadWhole(err);
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
