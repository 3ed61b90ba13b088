// FindFirstChangeNotificationA, FindNextChangeNotification, FindCloseChangeNotification and
// WaitForSingleObject on their handles: which changes signal, and renewing the watch.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform_checks.h"
#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

class ChangeNotificationsTest : public ::testing::Test {
 protected:
  void SetUp() override { prefix_.MakeDirectory("C:\\VIGIADO\\SUB"); }

  void TearDown() override {
    if (handle_ != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(FindCloseChangeNotification(handle_));
    }
  }

  void Watch(DWORD filter) {
    handle_ = FindFirstChangeNotificationA("C:\\VIGIADO", FALSE, filter);
    ASSERT_NE(handle_, INVALID_HANDLE_VALUE) << GetLastError();
  }

  // Wine reports changes a little later than they happen, so it is given time either way.
  bool Signalled() const {
    return WaitForSingleObject(handle_, RunningUnderWine() ? 500 : 0) == WAIT_OBJECT_0;
  }

  void Renew() const { ASSERT_TRUE(FindNextChangeNotification(handle_)); }

  ScratchPrefix prefix_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

TEST_F(ChangeNotificationsTest, NamesMadeOrRemovedSignalUntilRenewed) {
  Watch(kNames);
  EXPECT_FALSE(Signalled());
  prefix_.WriteFile("C:\\VIGIADO\\NOVO.TXT", "x");
  EXPECT_TRUE(Signalled());
  EXPECT_TRUE(Signalled());  // a wait does not reset it
  Renew();
  EXPECT_FALSE(Signalled());
  ASSERT_EQ(CreateDirectoryError("C:\\VIGIADO\\OUTRA"), 0u);
  EXPECT_TRUE(Signalled());
  Renew();
  ASSERT_TRUE(std::filesystem::remove(prefix_.Unix("C:\\VIGIADO\\NOVO.TXT")));
  EXPECT_TRUE(Signalled());
}

// Only the directory's own entries count, not what happens inside a subdirectory.
TEST_F(ChangeNotificationsTest, ASubdirectorysContentsAreNotWatched) {
  Watch(kNames | FILE_NOTIFY_CHANGE_ATTRIBUTES);
  prefix_.WriteFile("C:\\VIGIADO\\SUB\\DENTRO.TXT", "x");
  EXPECT_FALSE(Signalled());
}

TEST_F(ChangeNotificationsTest, TheFilterChoosesWhatSignals) {
  prefix_.WriteFile("C:\\VIGIADO\\ARQ.TXT", "x");
  Watch(FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_EQ(CreateDirectoryError("C:\\VIGIADO\\PASTA"), 0u);
  EXPECT_FALSE(Signalled());
  ASSERT_TRUE(SetFileAttributesA("C:\\VIGIADO\\ARQ.TXT", FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(Signalled());
  ASSERT_TRUE(FindCloseChangeNotification(handle_));
  Watch(FILE_NOTIFY_CHANGE_ATTRIBUTES);
  ASSERT_TRUE(SetFileAttributesA("C:\\VIGIADO\\ARQ.TXT", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(Signalled());
}

TEST_F(ChangeNotificationsTest, WhatCannotBeWatched) {
  EXPECT_EQ(FindFirstChangeNotificationA("C:\\VIGIADO\\FALTA", FALSE, kNames),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstChangeNotificationA("C:\\FALTA\\SUB", FALSE, kNames), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  prefix_.WriteFile("C:\\VIGIADO\\ARQ.TXT", "x");
  EXPECT_EQ(FindFirstChangeNotificationA("C:\\VIGIADO\\ARQ.TXT", FALSE, kNames),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_EQ(FindFirstChangeNotificationA("C:\\VIGIADO", FALSE, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace cdinst::testing
