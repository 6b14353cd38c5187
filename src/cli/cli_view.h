// What the command line tool shows instead of a window: the sequences push
// their values here by component name, and a send takes the fields back.
#pragma once

#include "params/identity_text.h"
#include "params/parameter_set.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tvx::cli {

class CliView : public params::ParameterView {
 public:
  // Texts in the order they first came, for printing.
  std::vector<std::string> order;
  std::map<std::string, std::string, std::less<>> texts;
  std::map<std::string, params::FieldValue, std::less<>> fields;
  std::map<std::string, bool, std::less<>> checked;
  std::set<std::string, std::less<>> hidden;
  params::ConfigWord optionBits;
  std::uint32_t firmware = 0;
  std::string serialNumber, deviceType;
  std::optional<float> setValue;

  // Forgets what a status refresh showed, keeping the parameter fields.
  void clearTexts();
  // The text of a component, "" when none was shown or it is hidden.
  std::string text(std::string_view component) const;

  char decimalSeparator() const override { return '.'; }
  void setText(std::string_view component, const std::string& text) override;
  void setValveText(std::string_view component, const std::string& text, std::uint32_t word) override;
  void setVisible(std::string_view component, bool visible) override;
  void setEnabled(std::string_view, bool) override {}
  void setRed(std::string_view, bool) override {}
  void setHint(std::string_view, const std::string&) override {}
  void setChecked(std::string_view component, bool on) override { checked[std::string(component)] = on; }
  void setSetValue(float value) override { setValue = value; }
  void clearSetValue() override { setValue.reset(); }

  bool hasComponent(std::string_view) const override { return true; }
  params::FieldValue fieldValue(std::string_view component) const override;
  bool isChecked(std::string_view component) const override;
  void showOptionBits(const params::ConfigWord& word) override { optionBits = word; }
  void putOptionBits(params::ConfigWord& word) const override;
  void showFirmware(std::uint32_t word) override { firmware = word; }
  void showSerialNumber(const std::string& bytes) override { serialNumber = bytes; }
  void showDeviceType(const std::string& bytes) override { deviceType = bytes; }
};

using params::IdentityText;

}  // namespace tvx::cli
