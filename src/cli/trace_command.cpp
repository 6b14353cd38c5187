// trace --csv FILE [--png FILE]: the valve's recording of its last regulation,
// read out by the chart window's sequence and saved as the chart saves it.
#include "cli/cli_command.h"
#include "cli/cli_report.h"

#include "cli/cli_view.h"
#include "params/conversions.h"
#include "params/identity_text.h"
#include "params/parameter_set.h"
#include "platform/program_files.h"
#include "trace/acquisition.h"
#include "trace/chart_export.h"
#include "trace/chart_opening.h"
#include "trace/chart_picture.h"
#include "trace/sampling.h"
#include "trace/trace_csv.h"

#include <QGuiApplication>

#include <memory>
#include <stdexcept>

namespace tvx::cli {

namespace {

// The chart window's drawing, without a window: the picture only when a PNG
// is wanted, and the read-out's progress.
class CliTraceView : public trace::TraceView {
 public:
  CliTraceView(Progress& progress, trace::ChartPicture* picture, trace::FrameSettings frame, std::uint32_t mask,
               trace::PositionMode mode)
      : progress_(progress), picture_(picture), frame_(std::move(frame)), mask_(mask), mode_(mode) {}

  void DrawFrame(const trace::ChartScales& scales) override {
    if (picture_) picture_->DrawFrame(scales, frame_);
  }
  void DrawSample(int n, const trace::TraceSample& sample) override {
    if (picture_) picture_->DrawSample(n, sample, mask_, mode_);
    if ((n + 1) % (trace::SampleCount / 20) == 0) progress_.show(n + 1, trace::SampleCount);
  }
  void ReadoutEnded() override {}
  void StartRecordingWait(std::int64_t) override {}

 private:
  Progress& progress_;
  trace::ChartPicture* picture_;
  trace::FrameSettings frame_;
  std::uint32_t mask_;
  trace::PositionMode mode_;
};

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

int Trace(Context& c) {
  if (!c.has("--csv")) return UsageError(c.io, "trace needs --csv FILE", "trace");
  if (const std::optional<int> refused = RefusedBelow(c, LevelToOperate({"ShowChart"}), "reading the recording"))
    return *refused;
  const std::optional<QString> pngPath = c.has("--png") ? std::optional(Q(c.options.at("--png"))) : std::nullopt;
  // Both files are checked before the recording is read, and written together:
  // neither replaces a file unless both can be written.
  std::vector<std::string> outputs{c.options.at("--csv")};
  if (pngPath) outputs.push_back(c.options.at("--png"));
  for (const std::string& output : outputs) {
    if (const std::optional<platform::FileError> problem = platform::OutputProblem(output)) {
      c.io.err << ProgramName << ": " << problem->english() << "; nothing was written\n";
      return ExitFileError;
    }
  }
  if (pngPath) EnsureGuiApplication();

  return WithLink(c, [&] {
    // The chart takes the PWM frequency, the divider and its legend from the
    // parameter set, which the window has read before.
    CliView view;
    params::ReadParameterSet(c.port(), c.valve(), view);
    CliQuestions questions(c.io.err);
    const std::optional<trace::ChartOpening> opening =
        trace::OpenChart(c.port(), view.fieldValue("PWM").text, c.valve().Held.traceInterval, questions);
    if (!opening) return int{ExitFileError};
    c.valve().Held.traceInterval = opening->divider;

    const char separator = view.decimalSeparator();
    const trace::SamplingPeriod period = trace::PeriodOf(opening->divider, opening->pwmHz, separator);
    const trace::PositionMode mode{view.configuration.reportDac, opening->source};
    trace::FrameSettings frame;
    trace::ChartLegend& legend = frame.legend;
    legend.threePositions = view.configuration.positions3;
    legend.voltageInput = view.configuration.voltageMode;
    legend.lvdt = view.configuration.lvdtMode;
    legend.pidP = Q(view.fieldValue("PID_P").text);
    legend.pidI = Q(view.fieldValue("PID_I").text);
    legend.pidD = Q(view.fieldValue("PID_D").text);
    legend.dkp = params::WordToFloat(c.valve().Held.largeErrorKp);
    legend.dki = params::WordToFloat(c.valve().Held.largeErrorKi);
    legend.lkp = params::WordToFloat(c.valve().Held.nearZeroKp);
    legend.lki = params::WordToFloat(c.valve().Held.nearZeroKi);
    legend.dynamicPid = view.configuration.dynamicPidMode;
    frame.reportDac = view.configuration.reportDac;
    frame.grid = (opening->channelMask & trace::GridBit) != 0;
    frame.periodText = Q(period.text);
    frame.shownMs = period.shownMs;
    frame.decimalSeparator = separator;

    std::unique_ptr<trace::ChartPicture> picture;
    if (pngPath) picture = std::make_unique<trace::ChartPicture>();
    Progress progress(c, "Reading the recording");
    CliTraceView traceView(progress, picture.get(), frame, opening->channelMask, mode);
    trace::TraceAcquisition acquisition(c.port(), traceView, opening->pwmHz, opening->divider);
    acquisition.ReadOut();
    acquisition.Close();
    progress.end();

    std::vector<std::pair<std::string, std::string>> files{
        {outputs[0], trace::TraceCsv(acquisition.buffer(), acquisition.drawnSamples(), period.exactMs, mode)}};
    if (pngPath) {
      const QString firmware = Q(params::FirmwareText(view.identity.firmware));
      files.emplace_back(
          outputs[1],
          trace::EncodePng(trace::PictureWithFooter(*picture, QDateTime::currentDateTime(), firmware)).toStdString());
    }
    try {
      platform::WriteWholeFiles(files);
    } catch (const platform::FileError& e) {
      c.io.err << ProgramName << ": " << e.english() << "; nothing was written\n";
      return int{ExitFileError};
    }
    c.note(std::to_string(acquisition.drawnSamples()) + " samples saved to " + c.options.at("--csv") +
           (pngPath ? " and " + c.options.at("--png") : std::string()) + ".");
    return int{ExitDone};
  });
}

}  // namespace tvx::cli
