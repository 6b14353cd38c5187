// The main window as the sequences below it see it: the components of TPgm
// (and of the options dialog, which holds part of the parameter set) keyed by
// their names. Created on the stack by a handler for one call of a sequence.
#pragma once

#include "params/parameter_set.h"

#include <QString>

class QObject;

namespace tvx::app {

class TPgm;

class MainWindowView : public params::ParameterView {
 public:
  explicit MainWindowView(TPgm& pgm) : pgm_(pgm) {}

  char decimalSeparator() const override;
  void setText(std::string_view component, const std::string& text) override;
  void setValveText(std::string_view component, const std::string& text, std::uint32_t word) override;
  void setVisible(std::string_view component, bool visible) override;
  void setEnabled(std::string_view component, bool enabled) override;
  void setRed(std::string_view component, bool red) override;
  void setHint(std::string_view component, const std::string& hint) override;
  void setChecked(std::string_view component, bool checked) override;
  void setSetValue(float value) override;
  void clearSetValue() override;

  bool hasComponent(std::string_view component) const override;
  view::FieldValue fieldValue(std::string_view component) const override;
  bool isChecked(std::string_view component) const override;
  void showOptionBits(const params::ConfigWord& word) override;
  void putOptionBits(params::ConfigWord& word) const override;
  void showFirmware(std::uint32_t word) override;
  void showSerialNumber(const std::string& bytes) override;
  void showDeviceType(const std::string& bytes) override;
  void showFailedField(std::string_view component) override;
  std::uint32_t pwmMaximum() const override;

 private:
  QObject* find(std::string_view component) const;  // throws std::logic_error for an unknown name
  template <class T>
  T* get(std::string_view component) const;

  TPgm& pgm_;
};

// A number as the window shows it: FormatFixed with the locale's separator.
QString FixedText(double value, int decimals);

}  // namespace tvx::app
