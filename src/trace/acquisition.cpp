#include "trace/acquisition.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "link/pump_wait.h"
#include "params/register_map.h"
#include "trace/chart_opening.h"

#include <array>
#include <functional>

namespace tvx::trace {

namespace {

// The pause a stopping read-out gets before the valve is asked anything else.
constexpr unsigned StopPauseMs = 25;

}  // namespace

TraceAcquisition::TraceAcquisition(link::Port& port, TraceView& view, std::uint32_t pwmHz, std::uint32_t divider)
    : port_(port), view_(view), pwmHz_(pwmHz), divider_(divider ? divider : 1), valveDivider_(divider_) {}

void TraceAcquisition::Shown(std::optional<std::chrono::milliseconds> sinceStart) {
  if (const auto remaining = RemainingRecordingMs(sinceStart, divider_, pwmHz_)) view_.StartRecordingWait(*remaining);
}

bool TraceAcquisition::Defer(Pending what) {
  if (!exchanging_) return false;
  pending_ |= what;
  return true;
}

void TraceAcquisition::RunPending() {
  // A closing window still writes the settings picked while it exchanged, so
  // that the valve has what the program holds; it reads and restarts nothing.
  if (closing_) pending_ &= PendingDivider | PendingSource;
  const unsigned pending = pending_;
  if (pending & PendingDivider) {
    pending_ &= ~PendingDivider;
    Write(params::reg::TraceInterval, divider_);
  } else if (pending & PendingSource) {
    pending_ &= ~PendingSource;
    Write(params::reg::MonitorSource, static_cast<std::uint32_t>(source_));
  } else if (pending & PendingRestart) {
    pending_ &= ~PendingRestart;
    RestartNow();
  } else if (pending & PendingReadout) {
    pending_ &= ~PendingReadout;
    ReadOut();
  }
}

void TraceAcquisition::ReadOut() {
  if (busy_ || closing_ || Defer(PendingReadout) || link::ExchangeInProgress()) return;
  Exchange(true, [this] { ReadChunks(); });
}

void TraceAcquisition::Exchange(bool readout, const std::function<void()>& steps) {
  exchanging_ = true;
  busy_ = readout;
  try {
    steps();
  } catch (...) {
    exchanging_ = busy_ = false;
    // A setting that was not written is not held either.
    pending_ = 0;
    divider_ = valveDivider_;
    if (readout) view_.ReadoutEnded();
    throw;
  }
  exchanging_ = busy_ = false;
  if (readout) view_.ReadoutEnded();
  RunPending();
}

void TraceAcquisition::ReadChunks() {
  link::SendCommand(port_, params::cmd::AnnounceTraceReadout, 0);
  const ScaleHalves current = SplitScale(link::ReadRegister(port_, params::state::TraceCurrentScale));
  const ScaleHalves monitor = SplitScale(link::ReadRegister(port_, params::state::TraceMonitorScale));
  stop_ = false;
  view_.DrawFrame({current.Max(), monitor.Max()});
  buffer_.fill({});
  drawn_ = 0;

  std::array<std::uint8_t, SamplesPerChunk * SampleBytes> chunk{};
  for (int j = 0; j < ChunkCount; ++j) {
    if (!link::ReadTraceChunk(port_, chunk.data(), stop_)) {
      // The valve still answers the cancelled request: let its reply arrive
      // before anything else is asked.
      link::PumpWait(StopPauseMs);
      return;
    }
    const auto samples = DecodeChunk(chunk);
    for (int i = 0; i < SamplesPerChunk; ++i) {
      const int n = j * SamplesPerChunk + i;
      buffer_[static_cast<std::size_t>(n)] = samples[static_cast<std::size_t>(i)];
      if (samples[static_cast<std::size_t>(i)].IsEndMarker()) return;
      view_.DrawSample(n, samples[static_cast<std::size_t>(i)]);
      drawn_ = n + 1;
    }
    // Presses held back while the chunk was read are handled here, between
    // two exchanges: a restart or a close ends the read-out.
    link::PumpMessages();
    if (stop_ || closing_) return;
  }
}

void TraceAcquisition::Restart() {
  stop_ = true;
  if (closing_ || Defer(PendingRestart) || link::ExchangeInProgress()) return;
  RestartNow();
}

void TraceAcquisition::RestartNow() {
  Exchange(false, [this] {
    stop_ = true;
    link::PumpWait(StopPauseMs);
    link::SendCommand(port_, params::cmd::RestartRecorder, 0);
    if (!closing_) view_.StartRecordingWait(RecordingMs(divider_, pwmHz_));
  });
}

void TraceAcquisition::RecordingWaitOver() { ReadOut(); }

void TraceAcquisition::PickDivider(std::uint32_t divider) {
  // A pick that cannot reach the valve any more leaves the divider as it is.
  if (closing_ && !exchanging_) return;
  divider_ = divider ? divider : 1;
  if (Defer(PendingDivider) || link::ExchangeInProgress()) return;
  Write(params::reg::TraceInterval, divider_);
}

void TraceAcquisition::ChooseSource(int source) {
  source_ = source;
  if (closing_ || Defer(PendingSource) || link::ExchangeInProgress()) return;
  Write(params::reg::MonitorSource, static_cast<std::uint32_t>(source_));
}

void TraceAcquisition::Write(int reg, std::uint32_t word) {
  Exchange(false, [this, reg, word] {
    link::ChangeLogScope logged(ChartOperation);
    link::WriteRegister(port_, reg, word);
    if (reg == params::reg::TraceInterval) valveDivider_ = word;
  });
}

void TraceAcquisition::Close() {
  closing_ = true;
  stop_ = true;
  pending_ &= PendingDivider | PendingSource;
  link::PumpWait(StopPauseMs);
}

}  // namespace tvx::trace
