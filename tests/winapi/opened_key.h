// Test helper: a registry key opened for a test and closed at scope exit.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "winapi/winapi.h"

namespace cdinst::testing {

class OpenedKey {
 public:
  OpenedKey(const char* subKey, REGSAM access, HKEY parent = HKEY_LOCAL_MACHINE) {
    status_ = RegOpenKeyExA(parent, subKey, 0, access, &key_);
  }
  ~OpenedKey() {
    if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  LONG Status() const { return status_; }
  HKEY Get() const { return key_; }

  // The value's bytes as the program reads them: the size first, then the data; "?" when
  // either call fails.
  std::string Data(const char* name, DWORD* type = nullptr) const {
    DWORD size = 0;
    if (RegQueryValueExA(key_, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return "?";
    std::string data(size, '\xCC');
    if (RegQueryValueExA(key_, name, nullptr, type, reinterpret_cast<LPBYTE>(data.data()), &size) !=
        ERROR_SUCCESS) {
      return "?";
    }
    EXPECT_EQ(size, data.size());
    return data;
  }

  // A string value up to its NUL, which must be there.
  std::string Text(const char* name, DWORD* type = nullptr) const {
    const std::string data = Data(name, type);
    EXPECT_FALSE(data.empty());
    EXPECT_EQ(data.back(), '\0');
    return data.substr(0, data.find('\0'));
  }

 private:
  HKEY key_ = nullptr;
  LONG status_ = ERROR_SUCCESS;
};

}  // namespace cdinst::testing
