// The error settings dialog: one check box per error condition the valve
// detects (cleared: its detection is blocked), the temperature alarm and stop
// thresholds and the time placed with error 10. Created for each opening; the
// reads and writes are in status/error_settings.h.
#pragma once

#include "status/error_settings.h"
#include "ui/checked_dialog.h"
#include "ui/form_components.h"

#include <array>

class QCheckBox;
class QPushButton;

namespace tvx::ui {
class Label;
class ValveField;
}  // namespace tvx::ui

namespace tvx::status {

class TErrorsForm : public ui::CheckedDialog, public ErrorSettingsEditor {
  Q_OBJECT
 public:
  explicit TErrorsForm(QWidget* parent = nullptr);
  ~TErrorsForm() override;

  ui::FormComponents& components() { return components_; }

  // Fills the dialog, shows it modally and gives what it holds on OK; OK
  // closes it only when `check` passes.
  std::optional<ErrorSettingsAnswer> Edit(const ErrorSettingsShown& shown, const ErrorSettingsCheck& check) override;
  void ShowFailedField(std::string_view field) override;
  // The parts of Edit, for a caller that shows the dialog itself.
  void Fill(const ErrorSettingsShown& shown);
  ErrorSettingsAnswer Answer() const;

  std::array<QCheckBox*, HandledErrors> Err{};  // Err01 .. Err22
  ui::ValveField* StartDelay = nullptr;
  ui::ValveField* Warn_Limit = nullptr;
  ui::ValveField* Stop_Limit = nullptr;
  ui::Label* StartDelayUnit = nullptr;  // "ms"
  ui::Label* WarnHeading = nullptr;     // "Alarm"
  ui::Label* StopHeading = nullptr;     // "Stop"
  ui::Label* LimitUnit = nullptr;       // "°C"
  QPushButton* SendConfig = nullptr;
  QPushButton* Cancel = nullptr;

  // Err01 to Err03: red while cleared, the button-face colour while checked.
  void CriticalErrorClick(QCheckBox* box);

 private:
  ui::FormComponents components_;
};

}  // namespace tvx::status
