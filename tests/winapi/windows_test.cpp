// Invisible windows, their texts and enabled state, as the program relies on them.
#include <gtest/gtest.h>

#include <string>

#include "platform_checks.h"
#include "winapi/winapi.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window_) DestroyWindow(window_);
  }
  HWND MakeWindow(HWND owner = nullptr) {
    return CreateWindowExA(0, "STATIC", "", WS_CAPTION | WS_SYSMENU, 0, 0, 320, 240, owner, nullptr,
                           nullptr, nullptr);
  }
  HWND window_ = nullptr;
};

TEST_F(WindowTest, TextIsCutToTheBufferAndKeptAsBytes) {
  window_ = MakeWindow();
  ASSERT_NE(window_, nullptr);
  const std::string title = "Instala\xE7\xE3o " + std::string(300, 'x');
  ASSERT_TRUE(SetWindowTextA(window_, title.c_str()));
  char buffer[256];
  EXPECT_EQ(GetWindowTextA(window_, buffer, sizeof buffer), 255);
  EXPECT_EQ(std::string(buffer), title.substr(0, 255));
  EXPECT_EQ(GetWindowTextA(window_, buffer, 5), 4);
  EXPECT_EQ(std::string(buffer), "Inst");
}

TEST_F(WindowTest, EnableWindowReportsThePreviousDisabledState) {
  window_ = MakeWindow();
  ASSERT_NE(window_, nullptr);
  EXPECT_FALSE(EnableWindow(window_, FALSE));  // made enabled
  EXPECT_TRUE(EnableWindow(window_, FALSE));
  EXPECT_TRUE(EnableWindow(window_, TRUE));
  EXPECT_FALSE(EnableWindow(window_, TRUE));
}

TEST_F(WindowTest, OwnedWindowBelongsToThisThreadAndDiesOnce) {
  HWND owner = MakeWindow();
  ASSERT_NE(owner, nullptr);
  window_ = MakeWindow(owner);
  ASSERT_NE(window_, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(window_, nullptr), GetCurrentThreadId());
  EXPECT_TRUE(DestroyWindow(window_));
  window_ = nullptr;
  EXPECT_TRUE(DestroyWindow(owner));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(owner));
  if (!cdinst::testing::WineDepartsFromWindows("Wine gives 5 for a window it does not know")) {
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  }
}

TEST(CursorTest, SystemCursorsLoadAndSetCursorReturnsThePrevious) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(wait, nullptr);
  EXPECT_NE(arrow, wait);
  SetCursor(wait);
  EXPECT_EQ(SetCursor(arrow), wait);
  EXPECT_EQ(SetCursor(arrow), arrow);
}

}  // namespace
