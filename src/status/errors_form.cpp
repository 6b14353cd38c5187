#include "status/errors_form.h"

#include "ui/application.h"
#include "ui/numeric_key_filter.h"
#include "ui/tab_order.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace tvx::status {

using ui::DesignText;

namespace {

constexpr const char* Caption = "  Lista obsługiwanych błędów";
constexpr const char* CriticalHint = " Blokada detekcji tego błędu grozi zniszczeniem urządzenia ! ";
constexpr int CriticalErrors = 3;

constexpr const char* ErrorCaptions[HandledErrors] = {
    " 01 - przeciążenie prądowe cewki elektromagnesu",
    " 02 - błąd zapisu ustawień do pamięci EEPROM",
    " 03 - RESET: błąd sumy kontrolnej ustawień w pamięci EEPROM",
    " 04 - RESET: Q5 nie wyłącza U_POWER lub odłączone cewki",
    " 05 - RESET: za duża różnica napięć U_SUPPLY i U_POWER",
    " 06 - RESET: błąd wartości napięcia odniesienia 1.65V",
    " 07 - RESET: brak napięcia analogowego +12V lub -12V",
    " 08 - RESET: przekroczenie dopuszczalnej temperatury czujnika ",
    " 09 - RESET: błąd testu toru przetwornik DAC - przetwornik ADC",
    " 10 - RESET: błąd zakresu wartości zadanej 4..20mA dłużej niż",
    " 11 - RESET: błąd zakresu wejścia dodatkowego 4..20mA",
    " 12 - SOFT: restart po uaktywnieniu mechanizmu Watchdog",
    " 13 - SOFT: aktywna cewka B rozdzielacza 2-położeniowego",
    " 14 - za duża różnica napięć U_SUPPLY i U_POWER",
    " 15 - błąd wartości napięcia odniesienia 1.65V",
    " 16 - brak napięcia analogowego +12V lub -12V ",
    " 17 - przekroczenie dopuszczalnej temperatury czujnika",
    " 18 - błąd zakresu na wejściu wartości zadanej 4..20mA",
    " 19 - nie podłączona wtyczka czujnika LVDT",
    " 20 - brak przepływu prądu przez cewkę elektromagnesu",
    " 21 - długi czas realizacji algorytmu sterowania",
    " 22 - zamienione zaciski cewek elektromagnesów",
};

constexpr int Left = 12;
constexpr int Top = 10;
constexpr int Row = 19;
constexpr int StartDelayRow = 9;    // Err10
constexpr int TemperatureRow = 16;  // Err17

}  // namespace

TErrorsForm::TErrorsForm(QWidget* parent) : CheckedDialog(parent) {
  setObjectName(QStringLiteral("ErrorsForm"));
  setWindowTitle(DesignText(Caption));
  setFixedSize(520, 480);
  auto& f = components_;

  for (int i = 0; i < HandledErrors; ++i) {
    const QString hint = i < CriticalErrors ? DesignText(CriticalHint) : QString();
    QCheckBox* box = ui::MakeCheckBox(f, this, ErrorBoxName(i).c_str(), {Left, Top + Row * i, 0, Row},
                                      DesignText(ErrorCaptions[i]), hint);
    box->adjustSize();
    box->resize(box->width(), Row);
    Err[i] = box;
    if (i < CriticalErrors) {
      box->setAutoFillBackground(true);
      box->setBackgroundRole(QPalette::Window);
      connect(box, &QCheckBox::toggled, this, [this, box] { CriticalErrorClick(box); });
    }
  }

  auto makeField = [&](const char* name, int limit, const QString& text, const QRect& geometry) {
    ui::ValveField* edit = ui::MakeEdit(f, this, name, geometry, limit, text);
    ui::InstallNumericKeyFilter(edit);
    return edit;
  };
  QCheckBox* err10 = Err[StartDelayRow];
  const int delayX = err10->x() + err10->width() + 4;
  const int delayY = Top + Row * StartDelayRow;
  StartDelay = makeField("StartDelay", 4, QStringLiteral("100"), {delayX, delayY, 40, Row});
  StartDelayUnit = ui::MakeLabel(f, this, "StartDelayUnit", delayX + 44, delayY + 2, QStringLiteral("ms"));

  const int tempY = Top + Row * TemperatureRow;
  WarnHeading = ui::MakeLabel(f, this, "WarnHeading", 410, tempY - 16, QStringLiteral("Alarm"));
  Warn_Limit = makeField("Warn_Limit", 3, QStringLiteral("65"), {410, tempY, 36, Row});
  StopHeading = ui::MakeLabel(f, this, "StopHeading", 454, tempY - 16, QStringLiteral("Stop"));
  Stop_Limit = makeField("Stop_Limit", 3, QStringLiteral("70"), {454, tempY, 36, Row});
  LimitUnit = ui::MakeLabel(f, this, "LimitUnit", 494, tempY + 2, QString::fromUtf8("°C"));

  SendConfig = ui::MakeButton(f, this, "SendConfig", {300, 440, 96, 27}, DesignText("  OK "));
  SendConfig->setDefault(true);
  Cancel = ui::MakeButton(f, this, "Cancel", {410, 440, 96, 27}, DesignText("Anuluj  "));
  connect(SendConfig, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

  // All cleared at this moment, hence red.
  for (int i = 0; i < CriticalErrors; ++i) CriticalErrorClick(Err[i]);
  ui::SetReadingTabOrder(this);
}

TErrorsForm::~TErrorsForm() = default;

void TErrorsForm::CriticalErrorClick(QCheckBox* box) {
  QPalette p = box->palette();
  p.setColor(QPalette::Window, box->isChecked() ? QApplication::palette().color(QPalette::Button) : QColor(Qt::red));
  box->setPalette(p);
}

void TErrorsForm::Fill(const ErrorSettingsShown& shown) {
  for (int i = 0; i < 32; ++i) {
    if (auto* box = qobject_cast<QCheckBox*>(components_.object(QString::fromStdString(ErrorBoxName(i)))))
      box->setChecked((shown.mask >> i) & 1u);
  }
  const std::pair<ui::ValveField*, const view::FieldValue*> fields[] = {
      {Warn_Limit, &shown.warnField}, {Stop_Limit, &shown.stopField}, {StartDelay, &shown.delayField}};
  for (const auto& [field, value] : fields) {
    const QString text = QString::fromStdString(value->text);
    if (value->keptWord) field->setValveText(text, *value->keptWord);
    else field->setProgramText(text);
  }
}

ErrorSettingsAnswer TErrorsForm::Answer() const {
  ErrorSettingsAnswer answer;
  for (int i = 0; i < 32; ++i) {
    auto* box = qobject_cast<QCheckBox*>(components_.object(QString::fromStdString(ErrorBoxName(i))));
    if (box && box->isChecked()) answer.checkedBits |= 1u << i;
  }
  answer.warnLimit = Warn_Limit->value();
  answer.stopLimit = Stop_Limit->value();
  answer.startDelay = StartDelay->value();
  return answer;
}

std::optional<ErrorSettingsAnswer> TErrorsForm::Edit(const ErrorSettingsShown& shown, const ErrorSettingsCheck& check) {
  Fill(shown);
  setOkCheck([this, &check] { return check(Answer()); });
  const bool ok = exec() == QDialog::Accepted;
  setOkCheck({});
  if (!ok) return std::nullopt;
  return Answer();
}

void TErrorsForm::ShowFailedField(std::string_view field) {
  ui::FocusFailedField(qobject_cast<QLineEdit*>(
      components_.object(QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())))));
}

}  // namespace tvx::status
