// Manual outputs: the two coil PWM outputs set by hand (state registers 27 and
// 28, commands 18 and 19) and the analogue monitor output forced to a 12-bit
// value (command 4). These are commands to the valve's state; nothing here is
// part of the stored parameter set.
#pragma once

#include "link/port.h"
#include "params/derived.h"
#include "view/dialog_view.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tvx::remote {

// ---- manual PWM -------------------------------------------------------------------

// Percent view of a PWM value and back, in whole numbers (truncating). A
// maximum of 0 gives 0 both ways.
std::uint32_t PwmPercent(std::uint32_t value, std::uint32_t maximum);
std::uint32_t PwmFromPercent(std::uint32_t percent, std::uint32_t maximum);

// The hints of the value fields.
std::string PwmMaximumHint(std::uint32_t maximum);
extern const char* const PwmMaximumFallbackHint;

// The manual PWM dialog's sequences on its fields PWM_A, PWM_B,
// PWM_A_Percent, PWM_B_Percent and check boxes Enable_PWM_A, Enable_PWM_B.
class ManualPwm {
 public:
  ManualPwm(link::Port& port, view::DialogView& view) : port_(port), view_(view) {}

  // Creation: reads the maximum and the enable bits (register 27), then the
  // two values (28). When a read fails (reported by CommError) the dialog
  // still opens: after a failed 27 with the maximum 5000 and a hint that says
  // so, 28 is not read and the fields keep "---".
  void Open();

  // A key was released in one of the four fields: every field must hold a
  // whole number (else ConversionError and nothing changes); values above the
  // maximum and percentages above 100 are cut back; the partner of the field
  // typed into is recomputed.
  void KeyReleased(std::string_view field);

  // SendPWM: the same checks and limits, then command 18 with both values and
  // command 19 with the enable bits.
  void Send();

  std::uint32_t maximum() const { return maximum_; }

 private:
  struct Values {
    std::uint32_t a, b, aPercent, bPercent;
  };
  Values Limited();

  link::Port& port_;
  view::DialogView& view_;
  std::uint32_t maximum_ = params::DefaultPwmMax;
};

// ---- DAC output ---------------------------------------------------------------------

inline constexpr std::uint32_t DacMaximum = 4095;

// Send_DAC: the field as a whole number, limited to 4095, sent with command 4.
// Returns the value the valve answers. A text that is no whole number (or a
// negative one) sends nothing (ConversionError).
std::uint32_t SendDacValue(link::Port& port, std::string_view text);

struct DacPoint {
  std::string_view item;  // menu item of DAC_Cal
  std::uint32_t value;
};

// The calibration points of the monitor output: -10 V / 4 mA, 0 V / 12 mA,
// +10 V / 20 mA.
extern const std::array<DacPoint, 3> DacPoints;

// The value of a DAC_Cal item, or -1 for another name.
int DacPointValue(std::string_view item);

}  // namespace tvx::remote
