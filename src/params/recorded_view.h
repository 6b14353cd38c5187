// A parameter view without a window, for the command line tool and the
// commissioning report: the sequences push their values here by component
// name, and a send takes the fields back. What the window shows as modes,
// identity and profile is kept typed, for the readers of a result.
#pragma once

#include "params/derived.h"
#include "params/parameter_set.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tvx::params {

class RecordedView : public ParameterView {
 public:
  explicit RecordedView(char decimalSeparator = '.') : separator_(decimalSeparator) {}

  // Texts in the order they first came, for printing.
  std::vector<std::string> order;
  std::map<std::string, std::string, std::less<>> texts;
  std::map<std::string, view::FieldValue, std::less<>> fields;
  // Check boxes other than those of the configuration word.
  std::map<std::string, bool, std::less<>> checked;
  std::set<std::string, std::less<>> hidden;
  std::optional<float> setValue;

  // The configuration word as the window's mode labels and boxes and the
  // options dialog hold it: modes, cross-wire, option bits, remote control,
  // service mode (the held flags stay in Held).
  ConfigWord configuration;
  // The valve's identity texts as it sends them, one byte per character.
  struct Identity {
    std::uint32_t firmware = 0;  // state register 30
    std::string serialNumber;
    std::string deviceType;
  };
  Identity identity;
  // The active profile as the profile button shows it.
  ProfileCaption profile{};

  // Forgets what a status refresh showed, keeping the parameter fields.
  void clearTexts();
  // The text of a component, "" when none was shown or it is hidden.
  std::string text(std::string_view component) const;

  char decimalSeparator() const override { return separator_; }
  void setText(std::string_view component, const std::string& text) override;
  void setValveText(std::string_view component, const std::string& text, std::uint32_t word) override;
  void setVisible(std::string_view component, bool visible) override;
  void setEnabled(std::string_view, bool) override {}
  void setRed(std::string_view, bool) override {}
  void setHint(std::string_view, const std::string&) override {}
  void setChecked(std::string_view component, bool on) override;
  void setSetValue(float value) override { setValue = value; }
  void clearSetValue() override { setValue.reset(); }

  bool hasComponent(std::string_view) const override { return true; }
  view::FieldValue fieldValue(std::string_view component) const override;
  bool isChecked(std::string_view component) const override;
  void showOptionBits(const ConfigWord& word) override;
  void putOptionBits(ConfigWord& word) const override;
  void showFirmware(std::uint32_t word) override { identity.firmware = word; }
  void showSerialNumber(const std::string& bytes) override { identity.serialNumber = bytes; }
  void showDeviceType(const std::string& bytes) override { identity.deviceType = bytes; }
  void showProfile(const ProfileCaption& shown) override;

 private:
  char separator_;
};

}  // namespace tvx::params
