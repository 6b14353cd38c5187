#include "params/held_parameters.h"

#include "params/register_map.h"

namespace tvx::params {

std::uint32_t* HeldParameters::WordOf(int reg) {
  return const_cast<std::uint32_t*>(static_cast<const HeldParameters*>(this)->WordOf(reg));
}

const std::uint32_t* HeldParameters::WordOf(int reg) const {
  switch (reg) {
    case reg::ErrorMask: return &errorMask;
    case reg::TraceInterval: return &traceInterval;
    case reg::NearZeroKp: return &nearZeroKp;
    case reg::NearZeroKi: return &nearZeroKi;
    case reg::LargeErrorKp: return &largeErrorKp;
    case reg::LargeErrorKi: return &largeErrorKi;
    default: return nullptr;
  }
}

void HeldParameters::TakeFlags(const ConfigWord& word) {
  rampEnable = word.rampEnable;
  useTableA = word.useTableA;
  useTableB = word.useTableB;
  useTableLvdt = word.useTableLvdt;
  xpidRampOnly = word.xpidRampOnly;
}

void HeldParameters::PutFlags(ConfigWord& word) const {
  word.rampEnable = rampEnable;
  word.useTableA = useTableA;
  word.useTableB = useTableB;
  word.useTableLvdt = useTableLvdt;
  word.xpidRampOnly = xpidRampOnly;
}

}  // namespace tvx::params
