#include "trace/chart_form.h"

#include "trace/chart_export.h"
#include "trace/chart_texts.h"
#include "trace/trace_csv.h"
#include "ui/application.h"
#include "ui/file_folders.h"
#include "ui/number_fields.h"
#include "ui/prompts.h"
#include "ui/tab_order.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace tvx::trace {

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

const QColor Navy{0, 0, 128};
const QColor Lime{0, 255, 0};
const QColor LedOutline{128, 128, 128};

constexpr int LedLeft = 720;
constexpr int LedWidth = 48;
constexpr int LedHeight = 20;
constexpr int LedTextInset = 1;  // the two blanks start at x = 721
constexpr int LedTextEnd = 44;   // the value ends at x = 764
constexpr int LedTextTop = 2;    // tops 16, 44, ... in fields at 14, 42, ...
constexpr int LedFontLimit = 13;
constexpr int RightColumn = 690;
constexpr int LabelLeft = 684;

// The font of the display fields: Arial bold, size 10 reduced until its
// pixel height is at most 13.
QFont LedFont(const QWidget* widget) {
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  for (int size = 10; size > 1; --size) {
    font.setPointSize(size);
    if (QFontMetrics(font, widget).height() <= LedFontLimit) break;
  }
  return font;
}

// The chart's own components, each named and added to the form's list as it
// is made.
QLabel* NavyLabel(ui::FormComponents& form, QWidget* parent, const char* name, const QString& text, int x, int y,
                  bool bold, int pixels = 10) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(Q(name));
  QFont font(QStringLiteral("Arial"));
  font.setBold(bold);
  font.setPixelSize(pixels);
  label->setFont(font);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, Navy);
  label->setPalette(p);
  label->move(x, y);
  label->adjustSize();
  // The right column's labels end at the window's edge: a font whose glyphs
  // come out a pixel wider (Arial on Windows) widens only the empty margin
  // the label keeps beside its text.
  const int room = parent->width() - x;
  if (label->width() > room && room > 0) label->resize(room, label->height());
  return form.add(label, "TLabel");
}

QPushButton* Button(ui::FormComponents& form, QWidget* parent, const char* name, const char* caption, int x, int y) {
  auto* button = new QPushButton(Q(caption), parent);
  button->setObjectName(Q(name));
  button->setGeometry(x, y, 80, 25);
  return form.add(button, "TButton");
}

}  // namespace

// ---- components ---------------------------------------------------------------

ChartDiagram::ChartDiagram(const ChartPicture& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartDiagram::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_.image());
}

void ChartDiagram::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event->position().toPoint());
  QWidget::mouseMoveEvent(event);
}

ChartLed::ChartLed(QWidget* parent) : QWidget(parent) { setFont(LedFont(this)); }

void ChartLed::setValueText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void ChartLed::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(LedOutline, 1));
  painter.setBrush(Qt::black);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.drawRoundedRect(r, 5, 5);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Lime);
  const QFontMetrics metrics = painter.fontMetrics();
  const int baseline = LedTextTop + metrics.ascent();
  painter.drawText(LedTextInset, baseline, QStringLiteral("  "));
  painter.drawText(LedTextEnd - metrics.horizontalAdvance(text_), baseline, text_);
}

void ChartLed::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event->button());
  QWidget::mouseReleaseEvent(event);
}

// ---- the window ---------------------------------------------------------------------

TChartForm::TChartForm(link::Port& port, ChartSettings settings, QWidget* parent)
    : QDialog(parent),
      settings_(std::move(settings)),
      acquisition_(port, *this, settings_.opening.pwmHz, settings_.opening.divider),
      channelMask_(settings_.opening.channelMask),
      grid_((channelMask_ & GridBit) != 0),
      source_(settings_.opening.source) {
  setObjectName(QStringLiteral("ChartForm"));
  setWindowTitle(Q(text::ChartCaption));
  setFixedSize(ClientWidth, ClientHeight);
  CreateComponents();
  FillIntervals();

  // Drawing side: empty picture, fields by the mask, the position channel's meaning.
  picture_.Clear();
  const auto leds = ChannelLeds();
  for (std::size_t c = 0; c < leds.size(); ++c) leds[c]->setHidden(!(channelMask_ & ChannelMaskBit(ChannelOrder[c])));
  if (settings_.reportDac) {
    Lv_Label->setText(Q(text::DacLabel));
    Lv_Label->adjustSize();
    Lv_units->hide();
    Lv_LED->setToolTip(Q(text::DacHint));
  }
  ShowPidModeInfo();
  if (source_ >= FirstSource && source_ <= LastSource)
    Chart_Radio[static_cast<std::size_t>(source_ - 1)]->setChecked(true);
  UpdateRestartHint();

  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  ui::SetReadingTabOrder(this);
}

TChartForm::~TChartForm() = default;

void TChartForm::CreateComponents() {
  using ui::Guarded;
  auto& f = components_;
  Diagram = new ChartDiagram(picture_, this);
  Diagram->setObjectName(QStringLiteral("Diagram"));
  Diagram->setGeometry(10, 10, PictureWidth, PictureHeight);
  f.add(Diagram, "TImage");
  connect(Diagram, &ChartDiagram::mouseMoved, this, Guarded(this, &TChartForm::DiagramMouseMove));

  struct Row {
    ChartLed** led;
    const char* ledName;
    QLabel** label;
    const char* labelName;
    const char* caption;
    QLabel** units;
    const char* unitsName;
    const char* unit;
    const char* hint;
  };
  const Row rows[] = {
      {&Ia_LED, "Ia_LED", &Ia_Label, "Ia_Label", text::IaLabel, &Ia_units, "Ia_units", text::AmpUnit, text::IaHint},
      {&Ib_LED, "Ib_LED", &Ib_Label, "Ib_Label", text::IbLabel, &Ib_units, "Ib_units", text::AmpUnit, text::IbHint},
      {&Lv_LED, "Lv_LED", &Lv_Label, "Lv_Label", text::LvLabel, &Lv_units, "Lv_units", text::VoltUnit, text::LvHint},
      {&Sv_LED, "Sv_LED", &Sv_Label, "Sv_Label", text::SvLabel, &Sv_units, "Sv_units", text::VoltUnit, text::SvHint},
      {&Tim_LED, "Tim_LED", &Tim_Label, "Tim_Label", text::TimeLabel, &Tim_units, "Tim_units", text::SecondUnit,
       nullptr},
  };
  int top = 14;
  for (const Row& row : rows) {
    auto* led = new ChartLed(this);
    led->setObjectName(Q(row.ledName));
    led->setGeometry(LedLeft, top, LedWidth, LedHeight);
    if (row.hint) led->setToolTip(Q(row.hint));
    *row.led = f.add(led, "TPanel");
    *row.label = NavyLabel(f, this, row.labelName, Q(row.caption), LabelLeft, top + 2, true, 12);
    *row.units = NavyLabel(f, this, row.unitsName, Q(row.unit), LabelLeft + (*row.label)->width() + 2, top + 4, false);
    top += 28;
  }
  connect(Lv_LED, &ChartLed::mouseReleased, this, Guarded(this, &TChartForm::Lv_LEDMouseUp));

  PID_Mode_Info = NavyLabel(f, this, "PID_Mode_Info", Q(text::PidModeText), RightColumn, 154, false);
  PID_Mode_Info->setMinimumWidth(85);
  PID_Mode_Info->hide();

  Interval_Label = NavyLabel(f, this, "Interval_Label", Q(text::IntervalLabel), LabelLeft, 186, false);
  Interval_Units = NavyLabel(f, this, "Interval_Units", Q(text::IntervalUnitLabel), LabelLeft, 200, false);
  Trace_Interval = new QComboBox(this);
  Trace_Interval->setObjectName(QStringLiteral("Trace_Interval"));
  Trace_Interval->setGeometry(RightColumn, 218, 80, 22);
  f.add(Trace_Interval, "TComboBox");
  Interval_Label->setBuddy(Trace_Interval);
  // Only a person's choice reaches the handler: the program fills and selects
  // the list under a QSignalBlocker (see the period list's fill below).
  connect(Trace_Interval, &QComboBox::currentIndexChanged, this, Guarded(this, &TChartForm::Trace_IntervalChange));

  ShowChart = Button(f, this, "ShowChart", text::ShowChartCaption, RightColumn, 300);
  ShowChart->setToolTip(Q(text::ShowChartHint));
  Restart = Button(f, this, "Restart", text::RestartCaption, RightColumn, 332);
  Save = Button(f, this, "Save", text::SaveCaption, RightColumn, 364);
  Save->setToolTip(Q(text::SaveHint));
  Quit = Button(f, this, "Quit", text::QuitCaption, RightColumn, 430);
  Quit->setDefault(true);
  connect(ShowChart, &QPushButton::clicked, this, Guarded(this, &TChartForm::ShowChartClick));
  connect(Restart, &QPushButton::clicked, this, Guarded(this, &TChartForm::RestartClick));
  connect(Save, &QPushButton::clicked, this, Guarded(this, &TChartForm::SaveClick));
  connect(Quit, &QPushButton::clicked, this, Guarded(this, &TChartForm::QuitClick));

  Chart_Selection = new QGroupBox(Q(text::SourceGroupCaption), this);
  Chart_Selection->setObjectName(QStringLiteral("Chart_Selection"));
  Chart_Selection->setGeometry(257, 120, 264, 234);
  f.add(Chart_Selection, "TGroupBox");
  Chart_Selection->setAutoFillBackground(true);
  QPalette p = Chart_Selection->palette();
  p.setColor(QPalette::Window, ChartBackground);
  Chart_Selection->setPalette(p);
  for (std::size_t i = 0; i < Chart_Radio.size(); ++i) {
    auto* radio = new QRadioButton(Q(text::SourceCaptions[i]), Chart_Selection);
    radio->setObjectName(QStringLiteral("Chart_%1").arg(i + 1));
    radio->setGeometry(16, 26 + 26 * static_cast<int>(i), 236, 22);
    Chart_Radio[i] = f.add(radio, "TRadioButton");
  }
  SendSelection = Button(f, Chart_Selection, "SendSelection", text::SendSelectionCaption, 34, 190);
  Cancel = Button(f, Chart_Selection, "Cancel", text::CancelCaption, 150, 190);
  connect(SendSelection, &QPushButton::clicked, this, Guarded(this, &TChartForm::SendSelectionClick));
  connect(Cancel, &QPushButton::clicked, this, Guarded(this, &TChartForm::CancelClick));
  Chart_Selection->hide();

  RecordTimer = new QTimer(this);
  RecordTimer->setObjectName(QStringLiteral("RecordTimer"));
  RecordTimer->setSingleShot(true);
  f.add(RecordTimer, "TTimer");
  connect(RecordTimer, &QTimer::timeout, this, Guarded(this, &TChartForm::RecordTimerTimer));
}

void TChartForm::FillIntervals() {
  const QSignalBlocker blocker(Trace_Interval);
  for (std::uint32_t d : Dividers)
    Trace_Interval->addItem(Q(PeriodOf(d, settings_.opening.pwmHz, ui::DecimalSeparator()).text));
  const std::optional<int> index = DividerIndex(acquisition_.divider());
  Trace_Interval->setCurrentIndex(index.value_or(-1));
}

std::array<ChartLed*, 4> TChartForm::ChannelLeds() const { return {Ia_LED, Ib_LED, Lv_LED, Sv_LED}; }

SamplingPeriod TChartForm::Period() const {
  return PeriodOf(acquisition_.divider(), acquisition_.pwmHz(), ui::DecimalSeparator());
}

void TChartForm::ShowPidModeInfo() { PID_Mode_Info->setVisible(settings_.detailMode && settings_.reportDac); }

void TChartForm::UpdateRestartHint() { Restart->setToolTip(Q(RestartHint(Period().shownMs, ui::DecimalSeparator()))); }

int TChartForm::CheckedSource() const {
  for (std::size_t i = 0; i < Chart_Radio.size(); ++i)
    if (Chart_Radio[i]->isChecked()) return static_cast<int>(i) + 1;
  return DacSource;
}

void TChartForm::SetRestartRed(bool red) {
  QPalette p = Restart->palette();
  p.setColor(QPalette::ButtonText, red ? QColor(Qt::red) : palette().color(QPalette::ButtonText));
  Restart->setPalette(p);
}

// ---- TraceView ---------------------------------------------------------------------------

void TChartForm::DrawFrame(const ChartScales& scales) {
  const SamplingPeriod period = Period();
  FrameSettings frame;
  frame.legend = settings_.legend;
  frame.reportDac = settings_.reportDac;
  frame.grid = grid_;
  frame.periodText = Q(period.text);
  frame.shownMs = period.shownMs;
  frame.decimalSeparator = ui::DecimalSeparator();
  picture_.DrawFrame(scales, frame);
  Diagram->update();
}

void TChartForm::DrawSample(int n, const TraceSample& sample) {
  picture_.DrawSample(n, sample, channelMask_, Mode());
  Diagram->update();
}

void TChartForm::ReadoutEnded() {
  ShowChart->setEnabled(true);
  Restart->setEnabled(true);
  Save->setEnabled(true);
}

void TChartForm::StartRecordingWait(std::int64_t ms) {
  SetRestartRed(true);
  RecordTimer->start(static_cast<int>(std::min<std::int64_t>(ms, std::numeric_limits<int>::max())));
}

// ---- handlers -------------------------------------------------------------------------------

void TChartForm::ShowChartClick() { acquisition_.ReadOut(); }

void TChartForm::RestartClick() { acquisition_.Restart(); }

void TChartForm::RecordTimerTimer() {
  SetRestartRed(false);
  RecordTimer->stop();
  acquisition_.RecordingWaitOver();
}

void TChartForm::QuitClick() {
  if (closed_) return;
  acquisition_.Close();
  CloseWindow();
}

void TChartForm::CloseWindow() {
  closed_ = true;
  RecordTimer->stop();
  done(QDialog::Accepted);
}

void TChartForm::Trace_IntervalChange() {
  const int index = Trace_Interval->currentIndex();
  if (index < 0) return;
  acquisition_.PickDivider(Dividers[static_cast<std::size_t>(index)]);
  UpdateRestartHint();
  Quit->setFocus();
}

void TChartForm::SendSelectionClick() {
  source_ = CheckedSource();
  Chart_Selection->hide();
  acquisition_.ChooseSource(source_);
}

void TChartForm::CancelClick() {
  // The radio buttons show the source in use again.
  Chart_Radio[static_cast<std::size_t>(source_ - 1)]->setChecked(true);
  Chart_Selection->hide();
}

void TChartForm::Lv_LEDMouseUp(Qt::MouseButton button) {
  if (button != Qt::RightButton || !settings_.reportDac) return;
  Chart_Selection->show();
  Chart_Selection->raise();
}

void TChartForm::DiagramMouseMove(QPoint position) {
  if (!InPointerArea(position.x(), position.y())) return;
  const int s = position.x() - FirstX;
  const PointerValues values = ValuesUnderPointer(acquisition_.buffer()[static_cast<std::size_t>(s)], s,
                                                  Period().shownMs, Mode(), ui::DecimalSeparator());
  const auto leds = ChannelLeds();
  for (std::size_t c = 0; c < leds.size(); ++c)
    if (!leds[c]->isHidden()) leds[c]->setValueText(Q(values.Of(ChannelOrder[c])));
  Tim_LED->setValueText(Q(values.time));
  PID_Mode_Info->setText(Q(text::PidModeText) + QString::number(values.pidMode));
  PID_Mode_Info->adjustSize();
}

void TChartForm::FormKeyUp(int key, Qt::KeyboardModifiers modifiers) {
  auto toggle = [](QWidget* w) { w->setHidden(!w->isHidden()); };
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const int step =
          (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ShiftModifier ? 10 : 1;
      const QPoint to = QCursor::pos() + QPoint(key == Qt::Key_Left ? -step : step, 0);
      QCursor::setPos(to);
      DiagramMouseMove(Diagram->mapFromGlobal(to));
      break;
    }
    case Qt::Key_A:
    case Qt::Key_B:
    case Qt::Key_D:
    case Qt::Key_L:
    case Qt::Key_Z:
    case Qt::Key_S:
      if (acquisition_.busy()) break;
      if (key == Qt::Key_A) toggle(Ia_LED);
      else if (key == Qt::Key_B) toggle(Ib_LED);
      else if (key == Qt::Key_Z) toggle(Sv_LED);
      else if (key == Qt::Key_S) grid_ = !grid_;
      else toggle(Lv_LED);
      break;
    default: break;
  }
  std::uint32_t bits = grid_ ? GridBit : 0;
  const auto leds = ChannelLeds();
  for (std::size_t c = 0; c < leds.size(); ++c)
    if (!leds[c]->isHidden()) bits |= ChannelMaskBit(ChannelOrder[c]);
  if (!ChartBitsDiffer(channelMask_, bits)) return;
  channelMask_ = WithChartBits(channelMask_, bits);
  acquisition_.ReadOut();
}

bool TChartForm::FormShortCut(int key) {
  if (key == Qt::Key_F10) {
    if (settings_.toggleDetailMode) settings_.detailMode = settings_.toggleDetailMode();
    ShowPidModeInfo();
    return true;
  }
  if (key == Qt::Key_Escape) {
    reject();
    return true;
  }
  return false;
}

void TChartForm::SaveClick() {
  if (acquisition_.busy()) return;
  ui::SaveDialog dialog;
  dialog.filter = Q(text::JpegFilterName) + QStringLiteral(";;PNG (*.png);;CSV (*.csv)");
  dialog.defaultExt = Q(text::JpegSuffix);
  dialog.confirmOverwrite = false;  // the question below is the only one
  dialog.initialDir = ui::StartFolder(ui::FileFolder::ChartPicture);
  for (;;) {
    dialog.fileName = Q(text::ProposedName);
    if (!dialog.execute(this)) return;
    const QString path = dialog.fileName;
    ui::RememberFolder(ui::FileFolder::ChartPicture, path);
    if (QFileInfo::exists(path)) {
      const QString question = Q(text::OverwriteQuestion) + QDir::toNativeSeparators(path) + Q(text::OverwriteTail);
      if (ui::CurrentPrompts().message(this, question, Q(text::OverwriteCaption), ui::Prompts::Icon::Question,
                                       ui::Prompts::Buttons::OkCancel) != ui::Prompts::Answer::Ok)
        continue;
    }
    SaveAs(path, ui::SuffixForFilter(dialog.selectedFilter, dialog.defaultExt));
    return;
  }
}

void TChartForm::SaveAs(const QString& path, const QString& filterSuffix) {
  switch (FormatOfPath(path, filterSuffix)) {
    case ExportFormat::Csv: {
      const double periodMs = Period().exactMs;
      WriteWholeFile(path, QByteArray::fromStdString(
                               TraceCsv(acquisition_.buffer(), acquisition_.drawnSamples(), periodMs, Mode())));
      return;
    }
    case ExportFormat::Png:
      WriteWholeFile(path,
                     EncodePng(PictureWithFooter(picture_, QDateTime::currentDateTime(), settings_.firmwareText)));
      return;
    case ExportFormat::Jpeg: break;
  }
  WriteWholeFile(path, EncodeJpeg(PictureWithFooter(picture_, QDateTime::currentDateTime(), settings_.firmwareText)));
}

// ---- events -------------------------------------------------------------------------------------

bool TChartForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    bool taken = false;
    ui::RunGuarded([&] { taken = FormShortCut(key->key()); });
    if (taken) return true;
    // Characters typed into the period list are discarded.
    if (watched == Trace_Interval && !key->text().isEmpty() && key->text().at(0).isPrint()) return true;
  } else if (event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) {
      filteredRelease_ = key;
      ui::RunGuarded([&] { FormKeyUp(key->key(), key->modifiers()); });
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TChartForm::keyPressEvent(QKeyEvent* event) {
  bool taken = false;
  ui::RunGuarded([&] { taken = FormShortCut(event->key()); });
  if (!taken) QDialog::keyPressEvent(event);
}

void TChartForm::keyReleaseEvent(QKeyEvent* event) {
  // A release a control passed on has been handled by the filter already.
  if (event != filteredRelease_ && !event->isAutoRepeat())
    ui::RunGuarded([&] { FormKeyUp(event->key(), event->modifiers()); });
  filteredRelease_ = nullptr;
  QDialog::keyReleaseEvent(event);
}

void TChartForm::reject() {
  if (!Chart_Selection->isHidden()) {
    Chart_Selection->hide();
    return;
  }
  ui::RunGuarded([&] { QuitClick(); });
}

void TChartForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    UpdateRestartHint();
    source_ = CheckedSource();
  }
}

void TChartForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  ui::RunGuarded([&] { acquisition_.Shown(settings_.sinceRecorderStart); });
}

void TChartForm::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    ui::RunGuarded([&] { acquisition_.Close(); });
    CloseWindow();
  }
  event->accept();
}

// ---- opening from the main window -------------------------------------------------

void OpenChartDialog(link::Port& port, QWidget* parent, std::string_view pwmText, std::uint32_t& heldDivider,
                     const std::function<ChartSettings()>& settingsOfWindow) {
  const std::optional<ChartOpening> opening = OpenChart(port, pwmText, heldDivider, ui::CurrentPrompts());
  if (!opening) return;
  heldDivider = opening->divider;
  ChartSettings settings = settingsOfWindow();
  settings.opening = *opening;
  TChartForm chart(port, std::move(settings), parent);
  chart.exec();
  heldDivider = chart.divider();
  CloseChart(port, opening->channelMask, chart.channelMask());
}

}  // namespace tvx::trace
