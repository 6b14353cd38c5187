// The service calibration values of the "Serwis" tab: each field has its own
// send button that writes that one register to the valve's working memory.
#pragma once

#include "link/port.h"
#include "view/dialog_view.h"

#include <array>
#include <string_view>

namespace tvx::service {

struct ServiceValue {
  std::string_view field;
  std::string_view button;
  int reg;
};

// The six values, top to bottom on the tab.
extern const std::array<ServiceValue, 6> ServiceValues;

// The value a send button writes, or nullptr for another name.
const ServiceValue* ServiceValueOfButton(std::string_view button);

// Writes the field to its register: the kept word while the text is the one
// read, else the text converted as the register's type says (a float, or the
// potentiometer's whole number). A text that does not convert sends nothing
// (ConversionError).
void SendServiceValue(link::Port& port, const ServiceValue& value, const view::FieldValue& field);

}  // namespace tvx::service
