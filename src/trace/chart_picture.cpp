#include "trace/chart_picture.h"

#include "params/conversions.h"
#include "trace/chart_texts.h"
#include "trace/sampling.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <cmath>

namespace tvx::trace {

namespace {

// The pixel size of the surface's default font, fixed so the picture does not
// depend on the screen; small enough that the current-scale label ends left of
// the vertical axis in a wide sans font.
constexpr int FontPixels = 10;
constexpr int TextColumnX = 10;
constexpr int GainValueEnd = 92;
constexpr int ScaleLabelX = 620;
constexpr int CurrentLabelX = 55;
constexpr int TimeAxisEnd = 600;
constexpr double AmpsDecimalsPrecision = 5;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& value) { return QString::fromStdString(value); }

}  // namespace

QColor WindowTextColor() { return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText); }

// A painter on the picture that keeps the picture's font and text colour up
// to date, as a drawing surface does.
class ChartPicture::Surface {
 public:
  explicit Surface(ChartPicture& picture) : picture_(picture), painter_(&picture.image_) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setFont(picture.font_);
  }

  void SetFont(bool bold, const QColor& color) {
    QFont font = picture_.font_;
    font.setBold(bold);
    picture_.font_ = font;
    picture_.textColor_ = color;
    painter_.setFont(font);
  }
  int Width(const QString& label) const { return painter_.fontMetrics().horizontalAdvance(label); }
  int Height() const { return painter_.fontMetrics().height(); }
  // Text with its top left corner at (x, y).
  void Text(int x, int y, const QString& label) {
    painter_.setPen(picture_.textColor_);
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), label);
  }
  void Line(const QColor& color, int x1, int y1, int x2, int y2) {
    painter_.setPen(QPen(color, 0));
    painter_.drawLine(x1, y1, x2, y2);
  }
  void Arrowhead(const QPolygon& triangle) {
    painter_.setPen(QPen(Qt::black, 0));
    painter_.setBrush(ChartBackground);
    painter_.drawPolygon(triangle);
    painter_.setBrush(Qt::NoBrush);
  }

 private:
  ChartPicture& picture_;
  QPainter painter_;
};

ChartPicture::ChartPicture()
    : image_(PictureWidth, PictureHeight, QImage::Format_RGB32), textColor_(WindowTextColor()) {
  font_ = QGuiApplication::font();
  font_.setPixelSize(FontPixels);
  geometry_ = ChartGeometry::For({});
  Clear();
}

void ChartPicture::Clear() { image_.fill(ChartBackground); }

void ChartPicture::DrawFrame(const ChartScales& scales, const FrameSettings& settings) {
  geometry_ = ChartGeometry::For(scales);
  previousY_.fill(geometry_.y0);
  previousX_ = FirstX;
  firstSample_ = true;
  Clear();

  const ChartGeometry& g = geometry_;
  const ChartLegend& legend = settings.legend;
  const char sep = settings.decimalSeparator;
  const QColor ink = WindowTextColor();
  Surface s(*this);

  // Text column: configuration, gains, channel keys, sampling period.
  s.SetFont(false, ink);
  s.Text(TextColumnX, g.y0 - 320, Q(legend.threePositions ? text::ThreePositions : text::TwoPositions));
  s.Text(TextColumnX, g.y0 - 300,
         Q(!legend.voltageInput    ? text::CurrentInput
           : legend.threePositions ? text::Voltage3
                                   : text::Voltage2));
  s.Text(TextColumnX, g.y0 - 280, Q(legend.lvdt ? text::Lvdt : text::NoLvdt));
  auto gain = [&](int dy, const char* label, const QString& value, bool enabled) {
    s.SetFont(false, enabled ? ink : DisabledGainColor);
    s.Text(TextColumnX, g.y0 - dy, Q(label));
    s.Text(GainValueEnd - s.Width(value), g.y0 - dy, value);
  };
  // The held gains are single-precision register values.
  auto general = [&](double value) { return Q(SingleText(static_cast<float>(value), sep)); };
  gain(250, text::Kp, legend.pidP, true);
  gain(230, text::Ki, legend.pidI, true);
  gain(210, text::Kd, legend.pidD, true);
  gain(180, text::DKp, general(legend.dkp), legend.dynamicPid);
  gain(160, text::DKi, general(legend.dki), legend.dynamicPid);
  gain(130, text::LKp, general(legend.lkp), legend.lvdt);
  gain(110, text::LKi, general(legend.lki), legend.lvdt);
  s.SetFont(true, CoilBColor);
  s.Text(TextColumnX, g.y0 - 80, Q(text::IavgB));
  s.SetFont(true, CoilAColor);
  s.Text(TextColumnX, g.y0 - 60, Q(text::IavgA));
  s.SetFont(true, ink);
  s.Text(TextColumnX, g.y0 - 40, Q(settings.reportDac ? text::Dac : text::Lvdt));
  s.SetFont(true, SetValueColor);
  s.Text(TextColumnX, g.y0 - 20, Q(text::Uzad));
  s.SetFont(false, ink);
  s.Text(TextColumnX, g.y0, Q(text::DtPrefix) + settings.periodText + Q(text::DtSuffix));

  // Scale labels.
  s.SetFont(true, ink);
  const int h = s.Height() / 2;
  s.Text(ScaleLabelX, g.yT - h - 1, Q(settings.reportDac ? text::DacTop : text::PlusTen));
  s.Text(ScaleLabelX, g.yT - h - 1 + (g.y0 - g.yT) / 2, Q(settings.reportDac ? text::DacMid : text::ZeroVolt));
  if (settings.reportDac)
    s.Text(ScaleLabelX + s.Width(Q(text::DacTop)) - s.Width(Q(text::DacZero)), g.y0 - h - 1, Q(text::DacZero));
  else s.Text(ScaleLabelX, g.y0 - h - 1, Q(text::MinusTen));
  const double topAmps = scales.currentMax * AmpsPerUnit;
  s.Text(CurrentLabelX, g.yT - h,
         Q(params::FormatFloatFixed(topAmps, static_cast<int>(AmpsDecimalsPrecision), 3, sep)) + Q(text::AmpSuffix));

  // Axes and grid.
  const int xE = static_cast<int>(std::floor(s.Width(Q(text::TimeWidthSample)) * 0.5)) + TimeAxisEnd;
  if (settings.grid) {
    s.Line(GridColor, FirstX, g.yT, xE, g.yT);
    s.Line(GridColor, FirstX, g.Mid(), xE, g.Mid());
  }
  s.Line(Qt::black, FirstX, g.y0, xE, g.y0);
  s.Arrowhead(QPolygon({QPoint(xE, g.y0 - 3), QPoint(xE, g.y0 + 3), QPoint(xE + 6, g.y0)}));
  s.Line(Qt::black, FirstX, g.y0, FirstX, g.yT - 5);
  s.Arrowhead(QPolygon({QPoint(97, g.yT - 5), QPoint(103, g.yT - 5), QPoint(100, g.yT - 11)}));

  // Time labels under samples 0, 100, ... 500.
  s.SetFont(false, ink);
  for (int i = 0; i <= 5; ++i) {
    const QString label = Q(TimeLabel(settings.shownMs, i, sep));
    const int centre = FirstX + 100 * i;
    s.Text(centre - static_cast<int>(std::floor(s.Width(label) * 0.5)), g.y0 + 5, label);
  }
}

void ChartPicture::DrawSample(int n, const TraceSample& sample, std::uint32_t mask, const PositionMode& mode) {
  Surface s(*this);
  const int x = FirstX + n;
  for (std::size_t c = 0; c < std::size(ChannelOrder); ++c) {
    const Channel channel = ChannelOrder[c];
    if (!(mask & ChannelMaskBit(channel))) continue;
    const int y = geometry_.ChannelY(channel, sample, mode);
    if (!firstSample_) {
      const QColor color = channel == Channel::CoilA      ? CoilAColor
                           : channel == Channel::CoilB    ? CoilBColor
                           : channel == Channel::SetValue ? SetValueColor
                                                          : WindowTextColor();
      s.Line(color, previousX_, previousY_[c], x, y);
    }
    previousY_[c] = y;
  }
  previousX_ = x;
  firstSample_ = false;
}

}  // namespace tvx::trace
