// Where the chart puts a sample and what the display fields show for the
// sample under the pointer. All coordinates are pixels of the 670 x 453 chart
// picture. Pure logic, no Qt.
#pragma once

#include "trace/trace_data.h"

#include <string>

namespace tvx::trace {

inline constexpr int PictureWidth = 670;
inline constexpr int PictureHeight = 453;
// The chart is laid out for the window's outer height (its 473-pixel client
// area, frame and caption). It is a fixed figure, so the picture looks the
// same under every window manager.
inline constexpr int WindowOuterHeight = 500;
// Sample n is drawn at x = FirstX + n.
inline constexpr int FirstX = 100;
// The area over which the pointer shows values.
inline constexpr int PointerTop = 50;
inline constexpr int PointerBottom = 400;

// Volts are clamped to this for the drawing.
inline constexpr float VoltLimit = 10.1f;

enum class Channel { CoilA, CoilB, Position, SetValue };
inline constexpr Channel ChannelOrder[] = {Channel::CoilA, Channel::CoilB, Channel::Position, Channel::SetValue};
std::uint32_t ChannelMaskBit(Channel channel);

// What the position channel carries.
struct PositionMode {
  bool reportDac = false;  // the monitor source instead of the LVDT
  int source = DacSource;
};

struct ChartGeometry {
  int y0 = 0;               // base line
  int yT = 0;               // top line
  double currentScale = 0;  // k_I, pixels per raw current unit
  double voltScale = 0;     // k_V, pixels per volt
  double dacScale = 0;      // k_D, pixels per DAC step
  double monitorScale = 0;  // k_M, pixels per monitor unit

  static ChartGeometry For(const ChartScales& scales, int outerHeight = WindowOuterHeight);
  int Mid() const { return yT + (y0 - yT) / 2; }

  int CoilY(std::uint16_t raw) const;
  // A volt channel: clamped to +-10.1 V; a value that is no number counts as 0 V.
  int VoltY(float volts) const;
  int DacY(std::uint16_t value) const;
  int MonitorY(std::uint16_t value) const;
  int ChannelY(Channel channel, const TraceSample& sample, const PositionMode& mode) const;
};

// floor(value) as a pixel coordinate; no number gives 0, and values far
// outside the picture are held to a range any int conversion survives.
int FloorPixel(double value);

// Whether a point of the picture shows values.
bool InPointerArea(int x, int y);

// The texts of the display fields for the sample in slot s (x = 100 + s).
struct PointerValues {
  bool endMarker = false;  // the four channel fields stay empty
  std::string coilA, coilB, position, setValue;
  std::string time;
  int pidMode = 0;
  const std::string& Of(Channel channel) const;
};
PointerValues ValuesUnderPointer(const TraceSample& sample, int s, double shownPeriodMs, const PositionMode& mode,
                                 char decimalSeparator);

}  // namespace tvx::trace
