// Register model of the valve's control electronics: parameter registers, state
// registers, commands, profile banks in EEPROM, texts, error history, stop codes,
// live values with simple physics and the regulation trace recorder.
//
// Every public method locks an internal mutex, so tests may script the model from
// their own thread while the pty server answers requests from another one.
// Live values are computed from the elapsed time of an injectable clock when they
// are read; no thread of its own is needed.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

// Hardware of the simulated valve and its factory settings.
struct ValveConfig {
  bool threePositions = true;         // two solenoids A and B; false: solenoid A only
  bool voltageInput = true;           // +-10 V set value; false: 4-20 mA
  bool lvdt = true;                   // LVDT position sensor fitted
  std::uint32_t firmware = 14031122;  // state register 30 (V1.4, 03-11-2022)
  bool boardVariant = false;          // state register 39
  bool in2Present = true;             // state register 42
  std::string serialNumber = "TVX-2311-00417";
  std::string deviceType;           // empty: derived from the configuration ("PRV-06 3P U LVDT")
  std::uint32_t pwmMaximum = 5000;  // full-scale PWM value, high half of state register 27
  // Optional EEPROM state file (user and factory banks, active profile, texts).
  // Empty: the EEPROM lives in memory only.
  std::string stateFile;
};

// Monotonic time source of the model. The default is std::chrono::steady_clock.
using Clock = std::function<std::chrono::nanoseconds()>;

// A clock for deterministic tests: starts at 0 and moves only when advanced.
// Copies share the same time; it may be advanced while a server thread reads it.
class ManualClock {
 public:
  ManualClock() : now_(std::make_shared<std::atomic<std::int64_t>>(0)) {}
  void advance(std::chrono::nanoseconds d) { *now_ += d.count(); }
  std::chrono::nanoseconds now() const { return std::chrono::nanoseconds(now_->load()); }
  Clock clock() const {
    auto p = now_;
    return [p] { return std::chrono::nanoseconds(p->load()); };
  }

 private:
  std::shared_ptr<std::atomic<std::int64_t>> now_;
};

inline constexpr std::size_t BankBytes = 512;
using Bank = std::array<std::uint8_t, BankBytes>;
inline constexpr std::uint32_t NoStop = 0xFFFFFFFFu;

// One 12-byte sample of the trace recorder as the valve sends it: coil A and B
// currents (raw, 16 bits each), the position word (a float, or source value and
// PID mode with the monitor report on) and the set value (a float), all
// little-endian. A coil A value of 0xFFFF marks the end of the recording.
using TraceRecord = std::array<std::uint8_t, 12>;
TraceRecord makeTraceRecord(std::uint16_t coilA, std::uint16_t coilB, std::uint32_t position, std::uint32_t setValue);
inline constexpr std::uint16_t TraceEnd = 0xFFFF;

// A state register held at a value from the command line: "REG=VALUE", where
// a VALUE with a "." (or "nan", "inf") is a float, "0x..." a hexadecimal word
// and anything else an unsigned decimal word. Nothing for a malformed text or
// a register outside 1..999.
std::optional<std::pair<int, std::uint32_t>> parseStateHold(const std::string& text);

// A calibration mode value in words, e.g. "LVDT calibration, coil A at 1.500 A".
std::string describeCalibration(float value);

class ValveModel {
 public:
  explicit ValveModel(ValveConfig config = {}, Clock clock = {});
  ~ValveModel();
  ValveModel(const ValveModel&) = delete;
  ValveModel& operator=(const ValveModel&) = delete;

  // ---- What the frame server calls, one per request kind -------------------
  std::uint32_t readParameter(int reg);                    // 'R'
  std::uint32_t writeParameter(int reg, std::uint32_t v);  // 'W', answers the written value
  std::uint32_t readState(int reg);                        // 'G' answered framed
  std::uint32_t command(int number, std::uint32_t arg);    // 'S' answered framed
  // Raw reply of a 'G' request (trace chunk, parameter blocks, tables, texts, or a
  // scripted block), or nothing when the register is answered framed.
  std::optional<std::vector<std::uint8_t>> readRawState(int reg);
  // Raw reply of command 991 (profile bank read-out), or nothing when the argument
  // does not carry the 0xAA55 prefix (then it is an ordinary framed command).
  std::optional<std::vector<std::uint8_t>> readProfileBank(std::uint32_t arg);

  // ---- Scripting for tests and the command line ------------------------------
  std::uint32_t parameter(int reg) const;  // 1..128, no side effects
  void setParameter(int reg, std::uint32_t value);
  void setParameterFloat(int reg, float value);
  // What a 'G' request would answer now, without side effects (the error-history
  // reader does not advance).
  std::uint32_t peekState(int reg);
  float peekStateFloat(int reg);
  // Stored state registers (1, 2, 3, 4, 5, 13, 14, 22, 25, 27, 28, 29, 30, 39, 42,
  // 43 ...) take the value; for live registers this is the same as overrideState.
  void setState(int reg, std::uint32_t value);
  void setStateFloat(int reg, float value);
  // Force the answer of a state register until clearOverride.
  void overrideState(int reg, std::uint32_t value);
  void clearOverride(int reg);
  // Answer a 'G' request for this register with these raw bytes (e.g. 2048 for 33).
  void setRawBlock(int reg, std::vector<std::uint8_t> bytes);
  void clearRawBlock(int reg);

  void setErrorHistory(std::vector<std::uint32_t> codes);
  std::vector<std::uint32_t> errorHistory() const;
  void setStop(std::uint32_t code, float criticalValue);  // NoStop clears
  std::uint32_t stopCode() const;

  std::string serialNumber() const;  // trailing NULs removed
  std::string deviceType() const;
  void setSerialNumber(const std::string& text);
  void setDeviceType(const std::string& text);

  int activeProfile() const;  // 0..2
  Bank userBank(int bank) const;
  Bank factoryBank(int bank) const;
  void setUserBank(int bank, const Bank& image);
  void setFactoryBank(int bank, const Bank& image);
  Bank workingImage() const;  // the 128 working parameters as a bank image

  bool remote() const;
  float setValue() const;   // the effective set value in input units
  bool breakpoint() const;  // command 6 flag
  // LVDT calibration (command 29): the mode value in force, 0 when the valve
  // is not calibrating; 1000 no current, 2000 + I coil A, 3000 + I coil B.
  float calibration() const;
  bool inCalibration() const;
  // Called (from the serving thread, with the model locked) whenever the
  // calibration mode changes; it must not call back into the model.
  void setCalibrationListener(std::function<void(float)> listener);
  std::uint32_t commandCount(int number) const;  // how often a command was received

  // Trace recorder: samples recorded so far since the last restart (0..500).
  std::size_t recordedSamples();
  std::chrono::nanoseconds samplePeriod() const;
  // A scripted recording served instead of the recorder's own (at most 500
  // samples): chunk by chunk from the read pointer, which command 11 and every
  // restart reset; end markers beyond its end. An empty one gives the
  // recorder back.
  void setTraceRecording(std::vector<TraceRecord> samples);

  // The factory parameter set of a valve with this configuration.
  static std::array<std::uint32_t, 129> factoryParameters(const ValveConfig& config);
  static Bank imageOf(const std::array<std::uint32_t, 129>& params);

  // EEPROM persistence. saveState writes the state file (if any) safely; it is
  // called by every command that changes the EEPROM. Returns false on failure
  // (the reason goes to stderr).
  bool saveState();

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace sim
