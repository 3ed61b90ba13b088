// The process: platform start-up, the entry routine, and the fatal-error report for an
// error that nothing caught.
#include <exception>
#include <new>

#include "platform/application.h"
#include "platform/notification.h"
#include "startup/entry.h"
#include "startup/status_line.h"
#include "winapi/winapi.h"

namespace {

class UnknownError : public std::exception {
 public:
  const char* what() const noexcept override { return ""; }
};

}  // namespace

int main() {
  cdinst::StartApplication();
  cdinst::ShowStatusLine();
  try {
    cdinst::RunEntry();
  } catch (const std::exception& error) {
    cdinst::ReportFatalError(error);
  } catch (...) {
    cdinst::ReportFatalError(UnknownError());
  }
  cdinst::ShutdownApplication();
  ExitProcess(0);
}
