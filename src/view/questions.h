// How code below the windows tells the user something or asks a question: a
// message box with its buttons, a file or a directory to choose. The program's
// prompts (ui/prompts.h) implement it, so a sequence asks exactly as a window
// does and tests answer from a script.
#pragma once

#include <optional>
#include <string>

namespace tvx::view {

class Questions {
 public:
  enum class Icon { None, Information, Warning, Error, Question };
  // YesNoDefaultNo: Enter and Esc answer No (a question whose "Yes" may
  // change the valve in a way the user should choose on purpose).
  enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
  enum class Answer { Ok, Cancel, Yes, No };

  // UTF-8 texts; "\n" breaks a line.
  struct FileQuestion {
    std::string caption;
    std::string directory;
    std::string fileName;       // proposed name
    std::string filter;         // e.g. "Pliki konfiguracji (*.cfg)"
    std::string defaultSuffix;  // without the dot
  };

  virtual ~Questions() = default;

  virtual Answer ask(const std::string& text, const std::string& caption, Icon icon, Buttons buttons = Buttons::Ok) = 0;
  // Nothing when the user cancels.
  virtual std::optional<std::string> askSaveFile(const FileQuestion& question) = 0;
  virtual std::optional<std::string> askOpenFile(const FileQuestion& question) = 0;
  virtual std::optional<std::string> askDirectory(const std::string& caption, const std::string& start) = 0;
};

}  // namespace tvx::view
