// Failure reports of the valve link.
//
// A failed exchange is reported once through CommError: the registered reporter
// shows the standard message (a message box in the program), then UsbError is
// thrown and ends the user's action. Texts are UTF-8; a line break is "\n".
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace tvx::link {

// The error that ends an action after a failed exchange. Its text is "USB error".
class UsbError : public std::runtime_error {
 public:
  explicit UsbError(int code) : std::runtime_error("USB error"), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// A number that cannot be converted: a reply with a non-hex digit, a field text
// that is no number, a negative integer where none is allowed, a float beyond the
// range of a single. The text is the message shown to the user.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Shows an error message with a caption (error icon). The program installs one
// that opens a message box; without one, messages go to standard error. The
// reporter belongs to the thread that installs it: each thread that exchanges
// with a valve reports its own errors.
using ErrorReporter = std::function<void(const std::string& text, const std::string& caption)>;

void SetErrorReporter(ErrorReporter reporter);
void ReportError(const std::string& text, const std::string& caption);

// The text and caption CommError shows for an exchange code.
std::string CommErrorText(int code);
inline constexpr const char* CommErrorCaption = " Błąd USB";

// Reports a failed exchange, then throws UsbError(code).
[[noreturn]] void CommError(int code);

}  // namespace tvx::link
