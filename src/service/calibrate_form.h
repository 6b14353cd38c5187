// The LVDT calibration dialog: the calibration mode and current are sent with
// the send button, the LVDT signal is shown twice a second, and every way of
// closing ends by commanding the inactive mode (see lvdt_calibration.h).
#pragma once

#include "link/port.h"
#include "service/lvdt_calibration.h"
#include "ui/form_components.h"

#include <QDialog>

class QPushButton;
class QRadioButton;
class QTimer;

namespace tvx::ui {
class Label;
class ValveField;
}  // namespace tvx::ui

namespace tvx::service {

class TCalibrateForm : public QDialog, private CalibrationView {
  Q_OBJECT
 public:
  static constexpr int TickMs = 500;

  TCalibrateForm(link::Port& port, QWidget* parent);
  ~TCalibrateForm() override;

  ui::FormComponents& components() { return components_; }
  const LvdtCalibration& calibration() const { return calibration_; }

  QRadioButton* NotActive = nullptr;
  QRadioButton* ZeroCurrent = nullptr;
  QRadioButton* Coil_A = nullptr;
  QRadioButton* Coil_B = nullptr;
  ui::ValveField* Calibration_Curr = nullptr;
  ui::Label* Label1 = nullptr;  // "A"
  ui::Label* InfoLabel = nullptr;
  ui::Label* LVDT_Voltage = nullptr;
  QPushButton* SendCalibration = nullptr;
  QPushButton* Done = nullptr;
  QTimer* Timer1 = nullptr;

  void SendCalibrationClick();
  void DoneClick();
  void Timer1Timer();

 public slots:
  // Esc and every other way of closing start the closing sequence instead.
  void reject() override;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // CalibrationView
  char decimalSeparator() const override;
  CalibrationMode selectedMode() const override;
  std::string currentText() const override;
  void showSignal(const std::string& text) override;
  void showError(const std::string& text) override;
  void showWarning(const std::string& text, const std::string& caption) override;
  void showClosing() override;
  void closeDialog() override;

  ui::FormComponents components_;
  LvdtCalibration calibration_;
};

// The left press with Ctrl on LVDT_Setup.
void OpenCalibrationDialog(link::Port& port, QWidget* parent);

}  // namespace tvx::service
