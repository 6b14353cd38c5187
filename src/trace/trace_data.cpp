#include "trace/trace_data.h"

#include <bit>

namespace tvx::trace {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

float TraceSample::PositionVolts() const { return std::bit_cast<float>(position); }

float TraceSample::SetValueVolts() const { return std::bit_cast<float>(setValue); }

int TraceSample::PidMode() const {
  const std::uint32_t mode = position >> 16;
  return mode > 3 ? 0 : static_cast<int>(mode);
}

TraceSample DecodeSample(std::span<const std::uint8_t, SampleBytes> b) {
  return {Le16(&b[0]), Le16(&b[2]), Le32(&b[4]), Le32(&b[8])};
}

std::array<TraceSample, SamplesPerChunk> DecodeChunk(std::span<const std::uint8_t> bytes) {
  std::array<TraceSample, SamplesPerChunk> out{};
  for (std::size_t i = 0; i < out.size() && (i + 1) * SampleBytes <= bytes.size(); ++i)
    out[i] = DecodeSample(bytes.subspan(i * SampleBytes).first<SampleBytes>());
  return out;
}

ScaleHalves SplitScale(std::uint32_t word) {
  ScaleHalves h;
  const auto low = static_cast<std::uint16_t>(word & 0xFFFFu);
  const auto high = static_cast<std::uint16_t>(word >> 16);
  if (low != 0) h.low = low;
  if (high != 0) h.high = high;
  return h;
}

std::uint32_t WithChartBits(std::uint32_t mask, std::uint32_t bits) {
  return (mask & ~ChannelBits) | (bits & ChannelBits);
}

bool ChartBitsDiffer(std::uint32_t a, std::uint32_t b) { return ((a ^ b) & ChannelBits) != 0; }

bool IsValidSource(std::uint32_t source) { return source >= FirstSource && source <= LastSource; }

}  // namespace tvx::trace
