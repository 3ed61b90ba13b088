// Errors that end the program through the fatal-error report when nothing catches them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace cdinst {

class ProgramError : public std::runtime_error {
 public:
  // `place` is the code address at which the error arose, for the report.
  ProgramError(const std::string& message, const void* place)
      : std::runtime_error(message), place_(place) {}
  virtual const char* KindName() const = 0;
  const void* Place() const { return place_; }

 private:
  const void* place_;
};

// A window-system call failed; carries the system's last error.
class WindowError : public ProgramError {
 public:
  WindowError(int32_t code, const void* place)
      : ProgramError("System Error. Code: " + std::to_string(code), place), code_(code) {}
  const char* KindName() const override { return "WindowError"; }
  int32_t Code() const { return code_; }

 private:
  int32_t code_;
};

}  // namespace cdinst
