#include "params/register_map.h"

namespace tvx::params {

const ParameterRegister* FindParameter(int number) {
  for (const auto& r : ParameterSet) {
    if (r.number == number) return &r;
  }
  return nullptr;
}

const ParameterRegister* FindParameterByField(std::string_view field) {
  if (field.empty()) return nullptr;
  for (const auto& r : ParameterSet) {
    if (r.field == field) return &r;
  }
  return nullptr;
}

std::string_view Q51SequenceHint(bool boardVariant) {
  return boardVariant ? " Po każdej zmianie stanu sygnału  ENABLE  tranzystor Q5 i sterowanie \n"
                        " elektromagnesami włączane i wyłączane zgodnie z określoną sekwencją "
                      : " Po każdej zmianie stanu sygnału  ENABLE  tranzystor Q1 i sterowanie \n"
                        " elektromagnesami włączane i wyłączane zgodnie z określoną sekwencją ";
}

const OptionBox* FindOptionBox(std::string_view name) {
  for (const auto& box : OptionBoxes) {
    if (box.name == name) return &box;
  }
  return nullptr;
}

}  // namespace tvx::params
