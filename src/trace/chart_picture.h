// The chart picture: the 670 x 453 image the recording is drawn into, sample
// by sample while it is read. QtGui only, so tests read its pixels.
#pragma once

#include "trace/chart_scale.h"
#include "trace/trace_data.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <array>
#include <string>

namespace tvx::trace {

inline const QColor ChartBackground{255, 255, 244};
inline const QColor CoilAColor{255, 0, 0};
inline const QColor CoilBColor{0, 0, 255};
inline const QColor SetValueColor{0, 255, 0};
inline const QColor GridColor{192, 192, 192};
inline const QColor DisabledGainColor{128, 128, 128};

// The valve's configuration and gains in the picture's text column.
struct ChartLegend {
  bool threePositions = true;
  bool voltageInput = true;
  bool lvdt = true;
  QString pidP, pidI, pidD;  // the field texts
  double dkp = 0, dki = 0;   // dynamic PID for a large error
  double lkp = 0, lki = 0;   // PID near the LVDT zero
  bool dynamicPid = false;
};

// What a frame shows besides the scales.
struct FrameSettings {
  ChartLegend legend;
  bool reportDac = false;
  bool grid = true;
  QString periodText;  // as the period list shows it
  double shownMs = 0;  // the number it stands for
  char decimalSeparator = ',';
};

// The system's window-text colour (the text column, the axes labels and the
// position channel).
QColor WindowTextColor();

class ChartPicture {
 public:
  ChartPicture();

  const QImage& image() const { return image_; }
  const ChartGeometry& geometry() const { return geometry_; }
  // The font and text colour the picture's surface was last drawn with.
  const QFont& font() const { return font_; }
  const QColor& textColor() const { return textColor_; }

  // Only the background.
  void Clear();
  // The empty chart of a read-out: text column, scale labels, axes, grid and
  // time labels. The next sample starts the curves afresh.
  void DrawFrame(const ChartScales& scales, const FrameSettings& settings);
  // Sample n of the read-out, on every channel whose bit is set in `mask`.
  void DrawSample(int n, const TraceSample& sample, std::uint32_t mask, const PositionMode& mode);

 private:
  class Surface;

  QImage image_;
  ChartGeometry geometry_;
  QFont font_;
  QColor textColor_;
  std::array<int, 4> previousY_{};
  int previousX_ = FirstX;
  bool firstSample_ = true;
};

}  // namespace tvx::trace
