#include "trace/chart_scale.h"

#include "trace/sampling.h"

#include <algorithm>
#include <cmath>

namespace tvx::trace {

namespace {

constexpr double VoltClamp = 10.1;
constexpr double MaxShownAmps = 9.9;
constexpr std::uint16_t DacMax = 4095;
constexpr int DacSteps = 4096;
constexpr int VoltSpan = 20;

double ShownVolts(float volts) {
  const double v = volts;
  return std::isnan(v) || std::fabs(v) > VoltClamp ? 0.0 : v;
}

}  // namespace

std::uint32_t ChannelMaskBit(Channel channel) {
  switch (channel) {
    case Channel::CoilA: return CoilABit;
    case Channel::CoilB: return CoilBBit;
    case Channel::Position: return PositionBit;
    case Channel::SetValue: break;
  }
  return SetValueBit;
}

int FloorPixel(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::floor(std::clamp(value, -1.0e6, 1.0e6)));
}

ChartGeometry ChartGeometry::For(const ChartScales& scales, int outerHeight) {
  ChartGeometry g;
  const int currentMax = std::max(scales.currentMax, 1);
  const int monitorMax = std::max(scales.monitorMax, 1);
  g.y0 = outerHeight - 100;
  g.currentScale = static_cast<double>(outerHeight - 150) / currentMax;
  g.yT = g.y0 - FloorPixel(currentMax * g.currentScale);
  const double span = g.y0 - g.yT;
  g.voltScale = span / VoltSpan;
  g.dacScale = span / DacSteps;
  g.monitorScale = span / monitorMax;
  return g;
}

int ChartGeometry::CoilY(std::uint16_t raw) const { return y0 - FloorPixel(raw * currentScale); }

int ChartGeometry::VoltY(float volts) const {
  const double v = std::isnan(volts) ? 0.0 : std::clamp(static_cast<double>(volts), -VoltClamp, VoltClamp);
  return y0 - FloorPixel((v + 10) * voltScale);
}

int ChartGeometry::DacY(std::uint16_t value) const { return y0 - FloorPixel((std::min(value, DacMax) + 3) * dacScale); }

int ChartGeometry::MonitorY(std::uint16_t value) const { return y0 - FloorPixel((value + 3) * monitorScale); }

int ChartGeometry::ChannelY(Channel channel, const TraceSample& sample, const PositionMode& mode) const {
  switch (channel) {
    case Channel::CoilA: return CoilY(sample.coilA);
    case Channel::CoilB: return CoilY(sample.coilB);
    case Channel::Position:
      if (!mode.reportDac) return VoltY(sample.PositionVolts());
      return mode.source == DacSource ? DacY(sample.SourceValue()) : MonitorY(sample.SourceValue());
    case Channel::SetValue: break;
  }
  return VoltY(sample.SetValueVolts());
}

bool InPointerArea(int x, int y) {
  return x >= FirstX && x < FirstX + SampleCount && y >= PointerTop && y <= PointerBottom;
}

const std::string& PointerValues::Of(Channel channel) const {
  switch (channel) {
    case Channel::CoilA: return coilA;
    case Channel::CoilB: return coilB;
    case Channel::Position: return position;
    case Channel::SetValue: break;
  }
  return setValue;
}

PointerValues ValuesUnderPointer(const TraceSample& sample, int s, double shownPeriodMs, const PositionMode& mode,
                                 char separator) {
  PointerValues v;
  v.time = FixedDecimals(shownPeriodMs * s / 1000, shownPeriodMs >= 1 ? 3 : 4, separator);
  v.pidMode = mode.reportDac ? sample.PidMode() : 0;
  v.endMarker = sample.IsEndMarker();
  if (v.endMarker) return v;
  auto amps = [&](std::uint16_t raw) {
    const double a = Amps(raw);
    return FixedDecimals(a > MaxShownAmps ? 0.0 : a, 3, separator);
  };
  v.coilA = amps(sample.coilA);
  v.coilB = amps(sample.coilB);
  v.position = mode.reportDac ? std::to_string(sample.SourceValue())
                              : FixedDecimals(ShownVolts(sample.PositionVolts()), 3, separator);
  v.setValue = FixedDecimals(ShownVolts(sample.SetValueVolts()), 3, separator);
  return v;
}

}  // namespace tvx::trace
