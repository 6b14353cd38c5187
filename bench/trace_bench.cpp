// The chart's two costs: a full read-out of 100 trace chunks, drawn as they
// come, against the simulated valve in a process of its own (valve-sim, line
// paced at 115200 baud 8E1), against the sum of the floors of its exchanges;
// and drawing a frame and 500 samples of every channel into the picture.
//
//   trace_bench [--repeat N]
#include "bench/bench_support.h"
#include "link/exchanges.h"
#include "trace/acquisition.h"
#include "trace/chart_picture.h"

#include <QGuiApplication>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace tvx;
using bench::Clock;

namespace {

constexpr double TargetReadoutRatio = 1.05;
constexpr double TargetDrawMs = 5.0;

// Draws as the chart window does.
class PictureView : public trace::TraceView {
 public:
  void DrawFrame(const trace::ChartScales& scales) override { picture.DrawFrame(scales, frame); }
  void DrawSample(int n, const trace::TraceSample& s) override { picture.DrawSample(n, s, 0x1F, {}); }
  void ReadoutEnded() override {}
  void StartRecordingWait(std::int64_t) override {}
  trace::ChartPicture picture;
  trace::FrameSettings frame;
};

double Mean(const std::vector<double>& v) {
  double sum = 0;
  for (double x : v) sum += x;
  return sum / static_cast<double>(v.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  int repeat = 5;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: trace_bench [--repeat N]\n");
      return 2;
    }
  }
  bool met = true;

  {
    bench::SimulatedLink valve(1);
    if (!valve.ready()) return 1;
    // The valve records from power-on: 500 samples at 2000 Hz take 250 ms.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double floor =
        bench::FloorMs(link::SendCommandCode, 15, 15) + 2 * bench::FloorMs(link::ReadRegisterCode, 6, 15) +
        trace::ChunkCount * bench::FloorMs(link::ReadTraceChunkCode, 6, trace::SamplesPerChunk * trace::SampleBytes);
    PictureView view;
    trace::TraceAcquisition acquisition(valve.port(), view, 2000, 1);
    acquisition.ReadOut();  // warm up
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
      const auto start = Clock::now();
      acquisition.ReadOut();
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("read-out of 100 chunks: mean %.1f ms, best %.1f ms, floor %.1f ms, %d samples\n", Mean(times),
                *std::min_element(times.begin(), times.end()), floor, acquisition.drawnSamples());
    met = bench::Report("read-out of 100 chunks / floor", Mean(times) / floor, "", TargetReadoutRatio) && met;
  }

  // Drawing alone: the frame and 500 samples of all four channels.
  trace::ChartPicture picture;
  const trace::FrameSettings frame;
  std::vector<double> draws;
  for (int i = 0; i < std::max(repeat, 20); ++i) {
    const auto start = Clock::now();
    picture.DrawFrame({1986, 100}, frame);
    for (int n = 0; n < trace::SampleCount; ++n) {
      const trace::TraceSample s{static_cast<std::uint16_t>(n * 7), static_cast<std::uint16_t>(3000 - n * 5),
                                 std::bit_cast<std::uint32_t>(std::sin(static_cast<float>(n) / 40.0f) * 9.0f),
                                 std::bit_cast<std::uint32_t>(n < 100 ? -5.0f : 5.0f)};
      picture.DrawSample(n, s, 0x1F, {});
    }
    draws.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  met = bench::Report("drawing a frame and 500 samples, all channels", Mean(draws), "ms", TargetDrawMs) && met;
  return met ? 0 : 3;
}
