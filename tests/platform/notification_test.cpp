#include "platform/notification.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "platform/application.h"
#include "platform/host_window.h"
#include "platform/io_error.h"
#include "platform/message_box.h"
#include "platform_checks.h"
#include "scoped_environment.h"
#include "winapi/posix/progress.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

class NotificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Named after the test, so that a death test's child, which may be a new process that
    // runs this again, writes where the test reads.
    transcript_ = ::testing::TempDir() + "notification-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".jsonl";
    std::remove(transcript_.c_str());
    environment_.Set("CDINST_TRANSCRIPT", transcript_);
    environment_.Set("CDINST_ANSWER", std::nullopt);
    StartApplication();
    SetApplicationTitle("Instala\xE7\xE3o");
  }
  void TearDown() override {
    ShutdownApplication();
    std::remove(transcript_.c_str());
  }
  std::vector<std::string> Transcript() const {
    std::vector<std::string> lines;
    std::ifstream in(transcript_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  testing::ScopedEnvironment environment_;
  std::string transcript_;
};

TEST_F(NotificationTest, AskYesNoIsFalseOnlyForNo) {
  HostWindow& host = CreateHostWindow();
  environment_.Set("CDINST_ANSWER", "no");
  EXPECT_FALSE(AskYesNo(host, "Pronto?"));
  environment_.Set("CDINST_ANSWER", "yes");
  EXPECT_TRUE(AskYesNo(host, "Pronto?"));
  EXPECT_EQ(Transcript(),
            (std::vector<std::string>{
                "{\"caption\":\"Instala\xC3\xA7\xC3\xA3o\",\"text\":\"Pronto?\",\"flags\":8196,"
                "\"result\":7}",
                "{\"caption\":\"Instala\xC3\xA7\xC3\xA3o\",\"text\":\"Pronto?\",\"flags\":8196,"
                "\"result\":6}"}));
}

TEST_F(NotificationTest, BoxThatCannotBeShownCountsAsYes) {
  if (testing::MessageBoxesAreShown()) GTEST_SKIP() << "the box would wait for an answer";
  HostWindow& host = CreateHostWindow();
  environment_.Set("CDINST_ANSWER", "talvez");  // not an answer: the box is tried
  EXPECT_TRUE(AskYesNo(host, "Pronto?"));
  ShowNotice(host, "Feito");
  EXPECT_EQ(Transcript(),
            (std::vector<std::string>{
                TranscriptLine("Instala\xE7\xE3o", "Pronto?", MB_TASKMODAL | MB_YESNO, 0),
                TranscriptLine("Instala\xE7\xE3o", "Feito", MB_TASKMODAL, 0)}));
}

TEST_F(NotificationTest, CaptionIsTheTitleReadBackAtEachCallAndTextsAreCut) {
  HostWindow& host = CreateHostWindow();
  environment_.Set("CDINST_ANSWER", "yes");
  ShowNotice(host, "um");
  SetApplicationTitle(std::string(300, 'T'));
  ShowNotice(host, std::string(300, 'x'));
  EXPECT_EQ(Transcript(),
            (std::vector<std::string>{
                TranscriptLine("Instala\xE7\xE3o", "um", MB_TASKMODAL, IDOK),
                TranscriptLine(std::string(255, 'T'), std::string(255, 'x'), MB_TASKMODAL, IDOK)}));
}

TEST_F(NotificationTest, TranscriptEscapesAndConvertsToUtf8) {
  EXPECT_EQ(TranscriptLine("a\"b\\c", "\x80\t\r\n\x01\xFF", 0, -1),
            "{\"caption\":\"a\\\"b\\\\c\",\"text\":\"\xE2\x82\xAC\\t\\r\\n\\u0001\xC3\xBF\","
            "\"flags\":0,\"result\":-1}");
}

// Hears the wait cursor as the emulation reports it.
class CursorChanges final : public posix::ProgressListener {
 public:
  CursorChanges() { posix::ListenToProgress(this); }
  ~CursorChanges() { posix::ListenToProgress(nullptr); }
  void WaitCursorChanged(bool waiting) override { changes.push_back(waiting); }
  void FileCreated(const char*) override {}
  void BytesWritten(uint64_t) override {}
  void TerminalNeeded() override {}
  std::vector<bool> changes;
};

TEST_F(NotificationTest, BusyCursorSwitchesOnlyOnChange) {
  CursorChanges cursor;
  SetBusyCursor(true);
  SetBusyCursor(false);
  EXPECT_EQ(cursor.changes, (std::vector<bool>{true, false}));
  // Asking for the state already set leaves the cursor alone.
  SetCursor(WaitCursor());
  SetBusyCursor(false);
  EXPECT_EQ(cursor.changes, (std::vector<bool>{true, false, true}));
  SetCursor(ArrowCursor());
}

TEST_F(NotificationTest, HostWindowIsCreatedOnDemandAndReleased) {
  HostWindow& host = CreateHostWindow();
  EnableHostWindow(host, false);
  HWND handle = HostWindowHandle(host);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(HostWindowHandle(host), handle);
  EXPECT_TRUE(EnableWindow(handle, FALSE));  // it was made disabled
  EnableHostWindow(host, true);
  EXPECT_FALSE(EnableWindow(handle, TRUE));  // and enabled by the host
  ReleaseHostWindow(host);
  EXPECT_FALSE(DestroyWindow(handle));  // already destroyed by the release
}

bool ReportMatches(const std::exception& error, const std::string& pattern) {
  const std::string module = "in module unit_tests(\\.exe)? at ";
  return std::regex_match(FatalErrorText(error),
                          std::regex(pattern.substr(0, pattern.find('|')) + module +
                                     pattern.substr(pattern.find('|') + 1)));
}

TEST_F(NotificationTest, FatalErrorTextNamesKindModuleAndPlace) {
  try {
    RecordIoResult(2);
    RaiseIfIoResultPending();
    FAIL() << "nothing raised";
  } catch (const IoError& error) {
    EXPECT_TRUE(ReportMatches(error, "Exception IoError |[0-9A-F]{8}\\.\nFile not found\\."))
        << FatalErrorText(error);
  }
  // A message's own full stop is not doubled; an empty message gets none.
  EXPECT_TRUE(ReportMatches(std::runtime_error("Fim."), "Exception Error |00000000\\.\nFim\\."));
  EXPECT_TRUE(ReportMatches(std::runtime_error(""), "Exception Error |00000000\\.\n"));
}

TEST_F(NotificationTest, FatalErrorIsReportedAndEndsWithCodeOne) {
  environment_.Set("CDINST_ANSWER", "yes");
  EXPECT_EXIT(ReportFatalError(IoError(5, nullptr)), ::testing::ExitedWithCode(1), "");
  const std::vector<std::string> transcript = Transcript();
  ASSERT_EQ(transcript.size(), 1u);
  EXPECT_NE(transcript[0].find("\"caption\":\"Application Error\""), std::string::npos);
  EXPECT_NE(transcript[0].find("\\nFile access denied.\",\"flags\":8208,\"result\":1}"),
            std::string::npos)
      << transcript[0];
}

}  // namespace
}  // namespace cdinst
