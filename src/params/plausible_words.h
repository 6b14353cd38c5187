// What a valve can hold in each parameter register: a word outside it comes
// from a corrupted reply, not from a valve, and a read that carries one fails
// like a malformed reply (the link's CommError with the exchange's code), so
// nothing of it is shown, kept, saved, recorded or written back.
//
// The limits are wide: no value a valve really holds may be refused (a
// temperature limit of 200 where the field shows at most 125 is real, and so
// is a potentiometer word above 255). Floats must be finite and within
// physical limits; integers within their widths; bit sets within their
// defined bits; words the program gives no meaning take any value.
#pragma once

#include "link/port.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvx::params {

enum class WordLimit : std::uint8_t {
  Any,     // no meaning given to the word: every word is a valve's
  Whole,   // unsigned integer from 0 to `high`
  Finite,  // IEEE-754 single, finite, from `low` to `high`
  Bits,    // bit set within `bits`
};

struct PlausibleRange {
  int first;  // parameter registers first..last
  int last;
  WordLimit limit;
  double low;
  double high;
  std::uint32_t bits;
};

// Every parameter register 1..128 in one table, in register order.
namespace plausible {
inline constexpr double Amperes = 100.0;  // no coil driver comes near it
inline constexpr double Volts = 1000.0;
inline constexpr double Factor = 1.0e9;  // gains, PID constants, corrections
inline constexpr double Percent = 1000.0;
inline constexpr double Bits16 = 65535.0;
}  // namespace plausible

inline constexpr auto PlausibleParameterWords = std::to_array<PlausibleRange>({
    {1, 1, WordLimit::Bits, 0, 0, 0x81FFFFFFu},         // configuration word: bits 0..24, 31
    {2, 2, WordLimit::Whole, 0, plausible::Bits16, 0},  // PWM frequency, Hz (16 bits as the maximum)
    {3, 6, WordLimit::Finite, -plausible::Amperes, plausible::Amperes, 0},  // coil currents, A
    {7, 10, WordLimit::Any, 0, 0, 0},
    {11, 11, WordLimit::Finite, -plausible::Amperes, plausible::Amperes, 0},  // short-circuit threshold, A
    {12, 13, WordLimit::Finite, -plausible::Percent, plausible::Percent, 0},  // sensitivity thresholds, %
    {14, 20, WordLimit::Finite, -plausible::Factor, plausible::Factor, 0},    // corrections, gains, Kp, Ki, Kd
    {21, 21, WordLimit::Whole, 0, plausible::Bits16, 0},                      // digital potentiometer
    {22, 22, WordLimit::Finite, -plausible::Volts * 1000, plausible::Volts * 1000, 0},  // near-zero zone, mV
    {23, 66, WordLimit::Finite, -plausible::Percent, plausible::Percent, 0},    // linearisation tables A and B, %
    {67, 67, WordLimit::Bits, 0, 0, 0x003FFFFFu},                               // error mask: errors 1 to 22
    {68, 69, WordLimit::Finite, -plausible::Factor, plausible::Factor, 0},      // gains with LVDT
    {70, 73, WordLimit::Finite, -1.0e5, 1.0e5, 0},                              // ramp times, s
    {74, 95, WordLimit::Finite, -plausible::Percent, plausible::Percent, 0},    // linearisation table of the LVDT, %
    {96, 96, WordLimit::Whole, 0, plausible::Bits16, 0},                        // trace recording interval
    {97, 97, WordLimit::Finite, -plausible::Volts, plausible::Volts, 0},        // zero correction of WE1, mA
    {98, 99, WordLimit::Finite, -plausible::Factor, plausible::Factor, 0},      // DAC and WE1 gain corrections
    {100, 100, WordLimit::Finite, -plausible::Volts, plausible::Volts, 0},      // zero correction of the LVDT, V
    {101, 102, WordLimit::Finite, -plausible::Amperes, plausible::Amperes, 0},  // near-zero current limits, A
    {103, 104, WordLimit::Finite, -plausible::Factor, plausible::Factor, 0},    // near-zero Kp, Ki
    {105, 105, WordLimit::Finite, -plausible::Volts, plausible::Volts, 0},      // test signal amplitude, V
    {106, 106, WordLimit::Finite, -1.0e6, 1.0e6, 0},                            // test signal frequency, Hz
    {107, 107, WordLimit::Finite, -plausible::Volts, plausible::Volts, 0},      // test signal offset, V
    {108, 108, WordLimit::Any, 0, 0, 0},  // waveform (the dialog reads the low three bits)
    {109, 109, WordLimit::Any, 0, 0, 0},  // chart channel mask (32 bits, written back as held)
    {110, 110, WordLimit::Finite, -plausible::Factor, plausible::Factor, 0},    // LVDT gain correction
    {111, 112, WordLimit::Finite, -plausible::Factor, plausible::Factor, 0},    // large-error Kp, Ki
    {113, 113, WordLimit::Finite, -plausible::Amperes, plausible::Amperes, 0},  // large-error current, A
    {114, 114, WordLimit::Finite, -plausible::Volts, plausible::Volts, 0},      // large-error position, V
    {115, 116, WordLimit::Any, 0, 0, 0},                                        // temperature limits (32-bit integers)
    {117, 117, WordLimit::Any, 0, 0, 0},                                        // ramp start delay, ms (32-bit integer)
    {118, 119, WordLimit::Whole, 0, plausible::Bits16, 0},  // dither amplitude (PWM counts), frequency (Hz)
    {120, 120, WordLimit::Any, 0, 0, 0},                    // monitor source (the chart mends a bad one)
    {121, 121, WordLimit::Finite, -plausible::Amperes, plausible::Amperes, 0},  // monitor full-scale current, A
    {122, 122, WordLimit::Any, 0, 0, 0},                                        // start delay, ms (32-bit integer)
    {123, 128, WordLimit::Any, 0, 0, 0},
});

// Whether parameter register `reg` can hold `word`. Registers outside 1..128
// take any word.
bool PlausibleParameterWord(int reg, std::uint32_t word);

// The reads of parameter registers with that check: a single register, the
// 512-byte block of registers 1..128, a profile bank (the same 128 registers
// as stored) and a linearisation table's block (its 22 registers from `base`).
std::uint32_t ReadParameterWord(link::Port& port, int reg);
void ReadParameterBlock(link::Port& port, std::uint8_t* block);
void ReadProfileImage(link::Port& port, int bank, std::uint8_t* image);
void ReadLinTableWords(link::Port& port, int table, int base, std::uint8_t* block);

}  // namespace tvx::params
