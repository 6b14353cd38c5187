#include "service/service_values.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/conversions.h"
#include "params/register_map.h"

#include <stdexcept>

namespace tvx::service {

namespace reg = params::reg;

const std::array<ServiceValue, 6> ServiceValues{{
    {"IN1_4_20_Offset", "Send_IN1_Offset", reg::IN1_4_20_Offset},
    {"DigiPot_Value", "Send_DigiPot", reg::DigiPot_Value},
    {"DAC_Gain", "Send_DAC_Gain", reg::DAC_Gain},
    {"ADC_Gain", "Send_ADC_Gain", reg::ADC_Gain},
    {"LVDT_Offset", "Send_LVDT_Offset", reg::LVDT_Offset},
    {"LVDT_Gain", "Send_LVDT_Gain", reg::LVDT_Gain},
}};

const ServiceValue* ServiceValueOfButton(std::string_view button) {
  for (const ServiceValue& v : ServiceValues)
    if (v.button == button) return &v;
  return nullptr;
}

void SendServiceValue(link::Port& port, const ServiceValue& value, const view::FieldValue& field) {
  const params::ParameterRegister* row = params::FindParameter(value.reg);
  if (!row) throw std::logic_error("No register of the parameter set for a service value");
  const std::uint32_t word = params::FieldWord(*row, field);
  link::ChangeLogScope logged(std::string(value.field));
  link::WriteRegister(port, value.reg, word);
}

}  // namespace tvx::service
