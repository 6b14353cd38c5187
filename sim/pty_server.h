// Serves the simulated valve on a pseudo-terminal from a thread of its own, the
// way the valve's USB serial port would answer: the tool opens the slave side like
// any tty. Optional line pacing at 115200 baud 8E1, injected faults, unsolicited
// bytes and a timestamped log of every request frame.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/frame_server.h"
#include "sim/valve_model.h"

namespace sim {

struct PtyOptions {
  // Pace both directions like a 115200 baud 8E1 line (11 bits a byte): a request
  // counts as received when its last byte would have arrived, and reply bytes
  // leave at the line's rate.
  bool pacing = false;
  std::string logFile;  // also append every request to this file (empty: no file)
  // A client that sends and never reads must not make the simulator grow for
  // ever: beyond these the oldest entries are dropped and counted.
  std::size_t maxLoggedRequests = 100'000;
  std::size_t maxQueuedReplies = 256;  // replies and unsolicited blocks not yet sent
};

struct LoggedRequest {
  std::chrono::steady_clock::time_point time;  // when it counted as received
  std::vector<std::uint8_t> raw;               // with STX and ETX
  std::string text;                            // without STX and ETX, e.g. "G003"
};

class PtyServer {
 public:
  // 11 bits at 115200 baud, in nanoseconds (95486.1 ns).
  static constexpr std::int64_t BitsPerByte = 11;
  static constexpr std::int64_t Baud = 115200;

  explicit PtyServer(ValveModel& model, PtyOptions options = {});
  ~PtyServer();  // stops
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Opens a fresh pty (raw mode) and starts serving it. Throws std::system_error.
  void start();
  // Joins the serving thread and closes the pty. Safe to call twice.
  void stop();
  bool running() const { return thread_.joinable(); }
  // The device the tool opens, e.g. "/dev/pts/4".
  std::string slavePath() const;
  // True after a HangUp fault closed the line (until the next start).
  bool hungUp() const { return hungUp_.load(); }

  void setPacing(bool on) { pacing_.store(on); }
  bool pacing() const { return pacing_.load(); }

  void injectFault(Fault fault);
  void clearFaults();
  // Queues bytes to be sent unsolicited, after any reply still being sent.
  void sendRaw(std::vector<std::uint8_t> bytes);

  // The request log: the latest requests, at most maxLoggedRequests of them.
  std::vector<LoggedRequest> requests() const;
  std::vector<std::string> requestTexts() const;
  std::vector<std::vector<std::uint8_t>> requestBytes() const;
  // Requests logged since the start or clearLog(), those dropped included.
  std::size_t requestCount() const;
  // Requests dropped from the log to keep it within its limit.
  std::size_t droppedRequests() const;
  // Replies (and unsolicited blocks) dropped unsent because too many waited.
  std::size_t droppedReplies() const { return droppedReplies_.load(); }
  void clearLog();
  // Waits until at least n requests are logged; false on timeout.
  bool waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const;

 private:
  struct Loop;
  struct Pending;
  // The serving thread: each round queues unsolicited bytes, answers the
  // requests that are due, writes what the line lets through, waits for the
  // next event and reads what the tool sent.
  void run();
  void queueRawOutput(Loop& L, std::int64_t now);
  void answerDueRequests(Loop& L, std::int64_t now);
  // Writes due output, then waits until the next deadline or event; returns
  // what ppoll returns, the descriptors it watched in the loop's state.
  int waitForEvents(Loop& L, std::int64_t now);
  void readRequests(Loop& L, std::vector<std::uint8_t>& buf);
  // Logs one request that has completely arrived and queues its reply (or
  // what a fault makes of it).
  void handle(Loop& L, Pending& p, std::int64_t now);
  // Answers every waiting request at once; false when one hung the line up.
  bool answerAllPending(Loop& L);
  // A tool opened the port: what was queued for an earlier session (a late
  // reply, unsolicited bytes) and anything still in the tty from then is
  // dropped, so that a new session starts clean. Checked before every read and
  // write of the master, so an open is always seen before the bytes the new
  // client sends.
  bool newSession(Loop& L);
  // Writes every output byte that is due; returns the time the next one is
  // due (or -1 when nothing waits, or when it waits for the line to drain).
  std::int64_t flush(Loop& L, std::int64_t now);

  ValveModel& model_;
  PtyOptions options_;
  std::atomic<bool> pacing_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hungUp_{false};
  int master_ = -1;
  int wake_[2] = {-1, -1};
  int watch_ = -1;  // inotify on the slave device: tells when a tool opens it
  std::string slavePath_;
  std::thread thread_;

  mutable std::mutex mu_;
  mutable std::condition_variable logged_;
  std::deque<LoggedRequest> log_;
  std::size_t logDropped_ = 0;
  std::atomic<std::size_t> droppedReplies_{0};
  FaultPlan faults_;
  std::deque<std::vector<std::uint8_t>> rawOut_;
  std::FILE* logFile_ = nullptr;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace sim
