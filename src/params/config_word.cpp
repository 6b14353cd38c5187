#include "params/config_word.h"

#include <array>
#include <utility>

#include "params/register_map.h"

namespace tvx::params {

namespace {

using Member = bool ConfigWord::*;

// The member of each bit, bit order; bits 25..30 carry nothing.
constexpr std::array<Member, 32> Members{
    &ConfigWord::positions3,
    &ConfigWord::voltageMode,
    &ConfigWord::lvdtMode,
    &ConfigWord::lvdtCrossWire,
    &ConfigWord::ditherMode,
    &ConfigWord::ditherDacAverage,
    &ConfigWord::iwdtEnabled,
    &ConfigWord::reportDac,
    &ConfigWord::filterDac,
    &ConfigWord::dynamicPidMode,
    &ConfigWord::rampEnable,
    &ConfigWord::q51PwmSequence,
    &ConfigWord::useTableA,
    &ConfigWord::useTableB,
    &ConfigWord::useTableLvdt,
    &ConfigWord::enablePid2,
    &ConfigWord::lowPowerHold,
    &ConfigWord::medianFilter,
    &ConfigWord::rampSetValDelay,
    &ConfigWord::xpidLvdt,
    &ConfigWord::xpidRampOnly,
    &ConfigWord::remoteControl,
    &ConfigWord::newKiLimits,
    &ConfigWord::noFilterDelay,
    &ConfigWord::setValDacMode,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    &ConfigWord::serviceMode,
};

int BitOfName(std::string_view name) {
  for (const auto& b : ConfigBits) {
    if (b.name == name) return b.bit;
  }
  return -1;
}

}  // namespace

bool ConfigWord::Get(int bit) const {
  if (bit < 0 || bit > 31) return false;
  const Member m = Members[static_cast<std::size_t>(bit)];
  return m != nullptr && this->*m;
}

void ConfigWord::Set(int bit, bool on) {
  if (bit < 0 || bit > 31) return;
  const Member m = Members[static_cast<std::size_t>(bit)];
  if (m != nullptr) this->*m = on;
}

std::uint32_t ConfigWord::Build() const {
  std::uint32_t word = 0;
  for (int bit = 0; bit < 32; ++bit) {
    if (Get(bit)) word |= BitMask(bit);
  }
  return word;
}

ConfigWord ConfigWord::Decode(std::uint32_t word) {
  ConfigWord c;
  for (int bit = 0; bit < 32; ++bit) {
    if (bit == cfg::RemoteControl) continue;
    c.Set(bit, (word & BitMask(bit)) != 0);
  }
  return c;
}

bool ConfigWord::GetByName(std::string_view name, bool& value) const {
  const int bit = BitOfName(name);
  if (bit < 0) return false;
  value = Get(bit);
  return true;
}

bool ConfigWord::SetByName(std::string_view name, bool on) {
  const int bit = BitOfName(name);
  if (bit < 0) return false;
  Set(bit, on);
  return true;
}

}  // namespace tvx::params
