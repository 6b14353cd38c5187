// Reading the valve's regulation recording for the chart window, restarting
// the recorder and keeping the recorder's settings in step with the valve.
// No widgets: the window shows what happens through TraceView and forwards
// its buttons, timer and list here.
//
// Everything runs on the user-interface thread. Timers tick while an exchange
// waits, and the read-out handles the user's presses between its chunks, so a
// button of the window can be pressed while the window's exchanges run. Such a
// press never starts an exchange of its own: it sets the stop flag where it
// should end a running read-out and is carried out when the running exchanges
// have ended (a read-out request during a read-out is ignored).
#pragma once

#include "link/port.h"
#include "trace/sampling.h"
#include "trace/trace_data.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace tvx::trace {

class TraceView {
 public:
  virtual ~TraceView() = default;
  // A read-out begins: draw the empty chart with these scale maxima.
  virtual void DrawFrame(const ChartScales& scales) = 0;
  // Sample n (0..499) has arrived.
  virtual void DrawSample(int n, const TraceSample& sample) = 0;
  // A read-out has ended, also by an error: the read-out, restart and save
  // buttons are usable again.
  virtual void ReadoutEnded() = 0;
  // The recorder is recording: mark the restart button and read out after
  // `ms` milliseconds (the window calls RecordingWaitOver then).
  virtual void StartRecordingWait(std::int64_t ms) = 0;
};

class TraceAcquisition {
 public:
  TraceAcquisition(link::Port& port, TraceView& view, std::uint32_t pwmHz, std::uint32_t divider);
  TraceAcquisition(const TraceAcquisition&) = delete;
  TraceAcquisition& operator=(const TraceAcquisition&) = delete;

  const TraceBuffer& buffer() const { return buffer_; }
  // Samples handed to the drawing by the last read-out (those before an end
  // marker, or before it stopped).
  int drawnSamples() const { return drawn_; }
  // A read-out runs.
  bool busy() const { return busy_; }
  // One of the window's exchanges runs (a read-out, a restart, a write).
  bool exchanging() const { return exchanging_; }
  bool stopRequested() const { return stop_; }

  std::uint32_t pwmHz() const { return pwmHz_; }
  std::uint32_t divider() const { return divider_; }
  // The divider the valve has been given: the one the window opened with
  // until a pick has been written. The program holds this one after the
  // window closes.
  std::uint32_t valveDivider() const { return valveDivider_; }

  // The window has been shown: when the recorder was restarted `sinceStart`
  // ago and is still recording, wait for the rest of the recording.
  void Shown(std::optional<std::chrono::milliseconds> sinceStart);
  // Reads the recording out and hands it to the drawing.
  void ReadOut();
  // Ends a running read-out and restarts the recorder, then waits for the new
  // recording.
  void Restart();
  // The wait for a recording is over.
  void RecordingWaitOver();
  // A sampling divider was picked from the list: register 96.
  void PickDivider(std::uint32_t divider);
  // A monitor source was chosen: register 120.
  void ChooseSource(int source);
  // The window closes: a running read-out ends, nothing new starts; waits
  // 25 ms for the valve. A period or source picked while the window
  // exchanged is still written when the running exchanges end.
  void Close();

 private:
  enum Pending : unsigned { PendingReadout = 1, PendingRestart = 2, PendingDivider = 4, PendingSource = 8 };

  void ReadChunks();
  void RestartNow();
  void Write(int reg, std::uint32_t word);
  // Runs exchanges with the window marked as exchanging (and busy for a
  // read-out); afterwards, also after an error, the read-out's buttons come
  // back and, without an error, what was asked meanwhile is carried out.
  void Exchange(bool readout, const std::function<void()>& steps);
  // True when the request must wait for the running exchanges; records it.
  bool Defer(Pending what);
  // Carries out one request that came in while exchanging (each of them
  // carries out the next one when it ends).
  void RunPending();

  link::Port& port_;
  TraceView& view_;
  std::uint32_t pwmHz_;
  std::uint32_t divider_;
  std::uint32_t valveDivider_;
  int source_ = DacSource;
  TraceBuffer buffer_{};
  int drawn_ = 0;
  bool stop_ = false;  // the cancel flag of the chunk reads
  bool busy_ = false;
  bool exchanging_ = false;
  bool closing_ = false;
  unsigned pending_ = 0;
};

}  // namespace tvx::trace
