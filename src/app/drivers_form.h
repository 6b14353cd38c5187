// The window side of the driver export: the folder chooser and the boxes go
// through the program's Prompts.
#pragma once

#include "app/drivers.h"

class QWidget;

namespace tvx::app {

class PromptsDriverExportUser : public DriverExportUser {
 public:
  explicit PromptsDriverExportUser(QWidget* parent) : parent_(parent) {}
  std::optional<QString> chooseFolder(const QString& start) override;
  bool ask(Question question, const QString& text, const QString& caption) override;
  void tell(bool success, const QString& text, const QString& caption) override;

 private:
  QWidget* parent_;
};

// The export started from the "Sterownik USB" button: starts in the current
// directory and writes this build's driver files.
DriverExportResult ExportDriversFrom(QWidget* parent);

}  // namespace tvx::app
