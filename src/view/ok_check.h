// What a dialog's OK runs before the dialog closes: the sequence behind the
// dialog converts and checks every field it will send, while the person can
// still see and correct them.
#pragma once

#include <functional>

namespace tvx::view {

// True: the dialog closes and the sequence sends what the check took.
// False (the person said no to a question) or an error (a field that does not
// convert; the check has shown the dialog which one before throwing): the
// dialog stays open with its edits, the error is shown as the program's error
// box, and nothing is sent.
using OkCheck = std::function<bool()>;

}  // namespace tvx::view
