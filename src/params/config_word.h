// The configuration word (parameter register 1) as the program's items: the
// three valve modes, the LVDT cross-wire box, the fifteen options, the flags
// held for the service dialogs, remote control and service mode.
#pragma once

#include <cstdint>
#include <string_view>

namespace tvx::params {

struct ConfigWord {
  // Valve modes (bits 0..2) and the LVDT cross-wire check box (bit 3).
  bool positions3 = false;
  bool voltageMode = false;
  bool lvdtMode = false;
  bool lvdtCrossWire = false;

  // Check boxes of the options dialog.
  bool ditherMode = false;        // bit 4
  bool ditherDacAverage = false;  // bit 5
  bool iwdtEnabled = false;       // bit 6
  bool reportDac = false;         // bit 7
  bool filterDac = false;         // bit 8
  bool dynamicPidMode = false;    // bit 9
  bool q51PwmSequence = false;    // bit 11
  bool enablePid2 = false;        // bit 15
  bool lowPowerHold = false;      // bit 16
  bool medianFilter = false;      // bit 17
  bool rampSetValDelay = false;   // bit 18
  bool xpidLvdt = false;          // bit 19
  bool newKiLimits = false;       // bit 22
  bool noFilterDelay = false;     // bit 23
  bool setValDacMode = false;     // bit 24

  // Flags held in memory for the service dialogs.
  bool rampEnable = false;    // bit 10, ramp dialog
  bool useTableA = false;     // bit 12, linearisation table of solenoid A
  bool useTableB = false;     // bit 13, linearisation table of solenoid B
  bool useTableLvdt = false;  // bit 14, linearisation table of the LVDT
  bool xpidRampOnly = false;  // bit 20, near-zero PID dialog

  bool remoteControl = false;  // bit 21: sent, never taken from a read word
  bool serviceMode = false;    // bit 31

  // The word to send: every item's bit, every other bit 0.
  std::uint32_t Build() const;

  // The items of a word read from the valve. Bit 21 is ignored (remote control
  // comes from state register 1), as are the unused bits 25..30.
  static ConfigWord Decode(std::uint32_t word);

  // The item of a bit (see cfg:: in register_map.h); false for unused bits.
  bool Get(int bit) const;
  // Sets the item of a bit; unused bits are ignored.
  void Set(int bit, bool on);

  // The item by its component or flag name ("Dither_Mode", "ServiceMode"...).
  // Returns false, and leaves the value alone, for an unknown name.
  bool GetByName(std::string_view name, bool& value) const;
  bool SetByName(std::string_view name, bool on);

  bool operator==(const ConfigWord&) const = default;
};

}  // namespace tvx::params
