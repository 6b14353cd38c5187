#include "app/main_window_view.h"

#include "app/main_window.h"
#include "params/conversions.h"
#include "params/derived.h"
#include "service/options_form.h"
#include "ui/number_fields.h"
#include "ui/valve_field.h"
#include "ui/widgets.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

#include <stdexcept>

namespace tvx::app {

namespace {

QString Name(std::string_view component) {
  return QString::fromLatin1(component.data(), static_cast<qsizetype>(component.size()));
}

QString Latin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

QObject* MainWindowView::find(std::string_view component) const {
  const QString name = Name(component);
  if (QObject* object = pgm_.components().object(name)) return object;
  if (service::OptionsForm) {
    if (QObject* object = service::OptionsForm->components().object(name)) return object;
  }
  throw std::logic_error("No component " + std::string(component));
}

template <class T>
T* MainWindowView::get(std::string_view component) const {
  if (auto* object = qobject_cast<T*>(find(component))) return object;
  throw std::logic_error("Component " + std::string(component) + " is not of the kind expected");
}

char MainWindowView::decimalSeparator() const { return ui::DecimalSeparator(); }

void MainWindowView::setText(std::string_view component, const std::string& text) {
  QObject* object = find(component);
  const QString t = QString::fromStdString(text);
  if (auto* field = qobject_cast<ui::ValveField*>(object)) {
    field->setProgramText(t);
  } else if (auto* label = qobject_cast<QLabel*>(object)) {
    label->setText(t);
    // A caption placed at a point sizes itself to its text.
    if (label->property(ui::AutoSizeProperty).toBool()) label->adjustSize();
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    button->setText(t);
  } else {
    throw std::logic_error("Component " + std::string(component) + " shows no text");
  }
}

void MainWindowView::setValveText(std::string_view component, const std::string& text, std::uint32_t word) {
  auto* field = get<ui::ValveField>(component);
  field->setValveText(QString::fromStdString(text), word);
  field->setCursorPosition(0);  // a text wider than its field shows its beginning
}

void MainWindowView::setVisible(std::string_view component, bool visible) {
  get<QWidget>(component)->setVisible(visible);
}

void MainWindowView::setEnabled(std::string_view component, bool enabled) {
  get<QWidget>(component)->setEnabled(enabled);
}

void MainWindowView::setRed(std::string_view component, bool red) {
  auto* widget = get<QWidget>(component);
  if (auto* label = qobject_cast<ui::Label*>(widget)) {
    label->setFontColor(red ? QColor(Qt::red) : ui::WindowTextColour());
  } else {
    ui::SetFieldRed(widget, red);
  }
}

void MainWindowView::setHint(std::string_view component, const std::string& hint) {
  get<QWidget>(component)->setToolTip(QString::fromStdString(hint));
}

void MainWindowView::setChecked(std::string_view component, bool checked) { pgm_.SetChecked(Name(component), checked); }

void MainWindowView::setSetValue(float value) { pgm_.ShowSetValue(value); }

void MainWindowView::clearSetValue() { pgm_.ShowSetValue(std::nullopt); }

bool MainWindowView::hasComponent(std::string_view component) const {
  const QString name = Name(component);
  return pgm_.components().object(name) || (service::OptionsForm && service::OptionsForm->components().object(name));
}

view::FieldValue MainWindowView::fieldValue(std::string_view component) const {
  return get<ui::ValveField>(component)->value();
}

bool MainWindowView::isChecked(std::string_view component) const { return pgm_.IsChecked(Name(component)); }

void MainWindowView::showOptionBits(const params::ConfigWord& word) {
  if (service::OptionsForm) service::OptionsForm->showOptionBits(word);
}

void MainWindowView::putOptionBits(params::ConfigWord& word) const {
  if (!service::OptionsForm) throw std::logic_error("The options dialog does not exist");
  service::OptionsForm->putOptionBits(word);
}

void MainWindowView::showFirmware(std::uint32_t word) { pgm_.ShowFirmware(word); }

void MainWindowView::showSerialNumber(const std::string& bytes) {
  if (service::OptionsForm) service::OptionsForm->setSerialNumber(Latin1(bytes));
}

void MainWindowView::showDeviceType(const std::string& bytes) {
  const QString type = Latin1(bytes);
  if (service::OptionsForm) service::OptionsForm->setDeviceType(type);
  pgm_.ShowDeviceType(service::OptionsForm ? service::OptionsForm->deviceType() : type);
}

std::uint32_t MainWindowView::pwmMaximum() const {
  return service::OptionsForm ? service::OptionsForm->PwmMaximum : params::DefaultPwmMax;
}

void MainWindowView::showFailedField(std::string_view component) {
  // Only where the user sees it: the options dialog's fields are sent while
  // the dialog is closed.
  auto* field = qobject_cast<QLineEdit*>(find(component));
  if (!field || !field->isVisible() || !field->isEnabled()) return;
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

QString FixedText(double value, int decimals) {
  return QString::fromStdString(params::FormatFixed(value, decimals, ui::DecimalSeparator()));
}

}  // namespace tvx::app
