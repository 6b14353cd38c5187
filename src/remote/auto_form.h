// The test-signal dialog: the waveform, amplitude, frequency and offset of the
// valve's simulated set-value signal. Created for each opening and shown
// modally by OpenTestSignalDialog.
#pragma once

#include "link/port.h"
#include "remote/live_outputs.h"
#include "ui/checked_dialog.h"
#include "ui/form_components.h"

class QPushButton;
class QRadioButton;

namespace tvx::ui {
class Label;
class ValveField;
}  // namespace tvx::ui

namespace tvx::remote {

class TAutoForm : public ui::CheckedDialog {
  Q_OBJECT
 public:
  explicit TAutoForm(QWidget* parent);

  ui::FormComponents& components() { return components_; }

  ui::Label* Heading = nullptr;
  QRadioButton* AutoStop = nullptr;
  QRadioButton* AutoSinus = nullptr;
  QRadioButton* AutoSquare = nullptr;
  QRadioButton* AutoTriangle = nullptr;
  ui::Label* Label1 = nullptr;
  ui::ValveField* Amplitude = nullptr;
  ui::Label* Label2 = nullptr;
  ui::ValveField* Frequency = nullptr;
  ui::Label* Label3 = nullptr;
  ui::ValveField* Offset = nullptr;
  QPushButton* SendConfig = nullptr;
  QPushButton* Cancel = nullptr;

 private:
  ui::FormComponents components_;
};

// AutoMode: reads the signal's registers into a new dialog, shows it and on
// OK writes them (see test_signal.h).
void OpenTestSignalDialog(link::Port& port, LiveOutputs& outputs, QWidget* parent);

}  // namespace tvx::remote
