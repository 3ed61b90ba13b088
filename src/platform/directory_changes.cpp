#include "platform/directory_changes.h"

namespace cdinst {
namespace {

constexpr DWORD kEntryChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;

}  // namespace

DirectoryChanges::DirectoryChanges(const std::string& directory)
    : handle_(FindFirstChangeNotificationA(directory.c_str(), FALSE, kEntryChanges)) {}

DirectoryChanges::~DirectoryChanges() {
  if (Watching()) FindCloseChangeNotification(handle_);
}

bool DirectoryChanges::Changed() const {
  return !Watching() || WaitForSingleObject(handle_, 0) != WAIT_TIMEOUT;
}

bool DirectoryChanges::Renew() { return Watching() && FindNextChangeNotification(handle_); }

}  // namespace cdinst
