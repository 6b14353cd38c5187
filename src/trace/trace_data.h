// The valve's regulation recording as the chart keeps it: 12-byte samples,
// the 500-slot buffer, the scale maxima, the channel mask and the monitor
// source. Pure logic, no Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tvx::trace {

inline constexpr int SampleCount = 500;
inline constexpr int SamplesPerChunk = 5;
inline constexpr int ChunkCount = SampleCount / SamplesPerChunk;
inline constexpr std::size_t SampleBytes = 12;
inline constexpr std::uint16_t EndMarker = 0xFFFF;

// Amperes per raw current unit.
inline constexpr double AmpsPerUnit = 3.3 / 4096.0;

inline double Amps(std::uint16_t raw) { return raw * AmpsPerUnit; }

// One recorded sample, as the valve sends it (little-endian on the wire).
struct TraceSample {
  std::uint16_t coilA = 0;  // raw; EndMarker ends the recording
  std::uint16_t coilB = 0;
  // A float (the LVDT position in volts), or with the monitor report on: the
  // source value in the low and the PID mode in the high 16 bits.
  std::uint32_t position = 0;
  std::uint32_t setValue = 0;  // float, normalised to +-10 V

  bool IsEndMarker() const { return coilA == EndMarker; }
  float PositionVolts() const;
  float SetValueVolts() const;
  std::uint16_t SourceValue() const { return static_cast<std::uint16_t>(position & 0xFFFFu); }
  // The regulator's PID mode 0..3; a larger number counts as 0.
  int PidMode() const;

  bool operator==(const TraceSample&) const = default;
};

TraceSample DecodeSample(std::span<const std::uint8_t, SampleBytes> bytes);
// The five samples of a 60-byte chunk.
std::array<TraceSample, SamplesPerChunk> DecodeChunk(std::span<const std::uint8_t> bytes);

// The 500 slots, index = sample number; cleared means all-zero samples.
using TraceBuffer = std::array<TraceSample, SampleCount>;

// The two halves of a scale register (12: coil currents, 38: monitor
// sources 2..6); a half of 0 counts as 100.
struct ScaleHalves {
  std::uint16_t low = 100;
  std::uint16_t high = 100;
  std::uint16_t Max() const { return low > high ? low : high; }
};
ScaleHalves SplitScale(std::uint32_t word);

// The scale maxima a read-out hands to the drawing.
struct ChartScales {
  int currentMax = 100;  // M_I, raw current units
  int monitorMax = 100;  // M_S
};

// Channel mask bits (parameter register 109).
inline constexpr std::uint32_t CoilABit = 1u << 0;
inline constexpr std::uint32_t CoilBBit = 1u << 1;
inline constexpr std::uint32_t PositionBit = 1u << 2;
inline constexpr std::uint32_t SetValueBit = 1u << 3;
inline constexpr std::uint32_t GridBit = 1u << 4;
inline constexpr std::uint32_t ChannelBits = 0x1Fu;
// The mask after a failed read: everything shown, grid lines on.
inline constexpr std::uint32_t AllChannels = 0xFFFFFFFFu;

// The mask with its five chart bits replaced by `bits`; bits 5..31 are kept as
// the valve holds them.
std::uint32_t WithChartBits(std::uint32_t mask, std::uint32_t bits);
// Whether the chart bits of two masks differ (bits 5..31 carry nothing).
bool ChartBitsDiffer(std::uint32_t a, std::uint32_t b);

// Monitor sources of the position channel with the monitor report on.
inline constexpr int FirstSource = 1;  // the DAC output
inline constexpr int LastSource = 6;
inline constexpr int DacSource = 1;
bool IsValidSource(std::uint32_t source);

}  // namespace tvx::trace
