#include "link/comm_error.h"

#include "link/frame_trace.h"

#include <cstdio>

namespace tvx::link {

namespace {
// One reporter per thread that exchanges with a valve.
ErrorReporter& Reporter() {
  thread_local ErrorReporter reporter;
  return reporter;
}
}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

void ReportError(const std::string& text, const std::string& caption) {
  if (Reporter()) {
    Reporter()(text, caption);
  } else {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
}

std::string CommErrorText(int code) {
  return " Błąd komunikacji USB z rozdzielaczem.  \n Ustawienia mogą być nieprawidłowe! \n Kod błędu: " +
         std::to_string(code);
}

void CommError(int code) {
  TraceNote("CommError " + std::to_string(code));
  ReportError(CommErrorText(code), CommErrorCaption);
  throw UsbError(code);
}

}  // namespace tvx::link
