// TChartForm: the modal chart window. It draws the valve's recording of its
// last regulation (read by TraceAcquisition), shows the values under the
// pointer, switches curves and grid lines with keys, chooses the monitor
// source and saves the picture (JPEG, PNG) or the numbers (CSV).
#pragma once

#include "trace/acquisition.h"
#include "trace/chart_opening.h"
#include "trace/chart_picture.h"
#include "ui/form_components.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QComboBox;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tvx::trace {

// The picture component: paints the chart image and reports the pointer.
class ChartDiagram : public QWidget {
  Q_OBJECT
 public:
  ChartDiagram(const ChartPicture& picture, QWidget* parent);

 signals:
  void mouseMoved(QPoint position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  const ChartPicture& picture_;
};

// A rounded black display field that shows a value in lime.
class ChartLed : public QWidget {
  Q_OBJECT
 public:
  explicit ChartLed(QWidget* parent);
  void setValueText(const QString& text);
  QString valueText() const { return text_; }

 signals:
  void mouseReleased(Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString text_;
};

// What the chart shows besides the recording, from the main window and the
// options dialog, and what the opening read from the valve.
struct ChartSettings {
  ChartOpening opening;
  ChartLegend legend;
  bool reportDac = false;
  bool detailMode = false;
  // Since the last set value that restarted the recorder; nothing if none.
  std::optional<std::chrono::milliseconds> sinceRecorderStart;
  QString firmwareText;
  // F10: toggles the main window's detail mode and returns its new state.
  std::function<bool()> toggleDetailMode;
};

class TChartForm : public QDialog, private TraceView {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 779;
  static constexpr int ClientHeight = 473;

  TChartForm(link::Port& port, ChartSettings settings, QWidget* parent = nullptr);
  ~TChartForm() override;

  // For the main window after the window closed.
  std::uint32_t channelMask() const { return channelMask_; }
  // The divider the valve has: a pick that was never written is not kept.
  std::uint32_t divider() const { return acquisition_.valveDivider(); }

  ui::FormComponents& components() { return components_; }
  const ChartPicture& picture() const { return picture_; }
  const TraceAcquisition& acquisition() const { return acquisition_; }
  int source() const { return source_; }

  ChartDiagram* Diagram = nullptr;
  ChartLed* Ia_LED = nullptr;
  ChartLed* Ib_LED = nullptr;
  ChartLed* Lv_LED = nullptr;
  ChartLed* Sv_LED = nullptr;
  ChartLed* Tim_LED = nullptr;
  QLabel* Ia_Label = nullptr;
  QLabel* Ib_Label = nullptr;
  QLabel* Lv_Label = nullptr;
  QLabel* Sv_Label = nullptr;
  QLabel* Tim_Label = nullptr;
  QLabel* Ia_units = nullptr;
  QLabel* Ib_units = nullptr;
  QLabel* Lv_units = nullptr;
  QLabel* Sv_units = nullptr;
  QLabel* Tim_units = nullptr;
  QLabel* PID_Mode_Info = nullptr;
  QPushButton* ShowChart = nullptr;
  QPushButton* Restart = nullptr;
  QPushButton* Save = nullptr;
  QPushButton* Quit = nullptr;
  QLabel* Interval_Label = nullptr;
  QLabel* Interval_Units = nullptr;
  QComboBox* Trace_Interval = nullptr;
  QGroupBox* Chart_Selection = nullptr;
  std::array<QRadioButton*, 6> Chart_Radio{};  // Chart_1 .. Chart_6
  QPushButton* SendSelection = nullptr;
  QPushButton* Cancel = nullptr;
  QTimer* RecordTimer = nullptr;

  // Handlers.
  void ShowChartClick();
  void RestartClick();
  void SaveClick();
  void QuitClick();
  void Trace_IntervalChange();
  void SendSelectionClick();
  void CancelClick();
  void RecordTimerTimer();
  void DiagramMouseMove(QPoint position);
  void Lv_LEDMouseUp(Qt::MouseButton button);
  // Key release anywhere in the window.
  void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);
  // F10 and Esc; true when the key was taken.
  bool FormShortCut(int key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  // TraceView
  void DrawFrame(const ChartScales& scales) override;
  void DrawSample(int n, const TraceSample& sample) override;
  void ReadoutEnded() override;
  void StartRecordingWait(std::int64_t ms) override;

  void CreateComponents();
  // The display fields of the four channels, in channel order.
  std::array<ChartLed*, 4> ChannelLeds() const;
  void FillIntervals();
  void ShowPidModeInfo();
  void UpdateRestartHint();
  int CheckedSource() const;
  PositionMode Mode() const { return {settings_.reportDac, source_}; }
  SamplingPeriod Period() const;
  void SetRestartRed(bool red);
  // Writes in the format the name asks for, else in that of `filterSuffix`
  // (the extension of the filter selected with the name).
  void SaveAs(const QString& path, const QString& filterSuffix);
  void CloseWindow();

  ui::FormComponents components_;
  ChartSettings settings_;
  ChartPicture picture_;
  TraceAcquisition acquisition_;
  std::uint32_t channelMask_;
  bool grid_;
  int source_;
  bool shown_ = false;
  bool closed_ = false;
  const QKeyEvent* filteredRelease_ = nullptr;
};

// ShowChart of the main window: reads the recorder settings (OpenChart; the
// divider the valve holds goes to `heldDivider`), asks the window for what the
// chart shows besides the recording, shows the chart modally, keeps the
// divider the valve has then and writes a changed channel mask (CloseChart).
void OpenChartDialog(link::Port& port, QWidget* parent, std::string_view pwmText, std::uint32_t& heldDivider,
                     const std::function<ChartSettings()>& settingsOfWindow);

}  // namespace tvx::trace
