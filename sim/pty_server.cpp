#include "sim/pty_server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {
namespace {

std::int64_t monoNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

// Byte timing of one direction of a paced line. Deadlines of a continuous run of
// bytes are computed from the start of the run, so rounding never accumulates.
class LineClock {
 public:
  // When a byte that is ready at `ready` has completely crossed the line.
  std::int64_t next(std::int64_t ready) {
    if (ready >= busyUntil_) {  // the line was idle: a new run starts
      base_ = ready;
      count_ = 0;
    }
    ++count_;
    busyUntil_ = base_ + count_ * PtyServer::BitsPerByte * 1'000'000'000 / PtyServer::Baud;
    return busyUntil_;
  }
  void reset() { busyUntil_ = 0; }

 private:
  std::int64_t base_ = 0, count_ = 0, busyUntil_ = 0;
};

std::string printable(const std::vector<std::uint8_t>& raw) {
  std::string s;
  for (std::uint8_t c : raw) {
    if (c >= 0x20 && c < 0x7F) {
      s.push_back(static_cast<char>(c));
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "<%02X>", c);
      s += buf;
    }
  }
  return s;
}

}  // namespace

// A request that has arrived, answered when it is due.
struct PtyServer::Pending {
  std::int64_t due;
  Request request;
};

// State owned by the serving thread alone.
struct PtyServer::Loop {
  struct Chunk {
    std::int64_t notBefore;
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
  };

  explicit Loop(ValveModel& m) : frames(m) {}

  FrameServer frames;
  std::deque<Pending> pending;
  std::deque<Chunk> out;
  LineClock rx, tx;
  std::int64_t nextByteDue = -1;  // deadline of the next paced byte, -1: not scheduled
  bool peerGone = false;          // no tool has the slave open
  bool writeBlocked = false;      // the slave's input queue is full
  // What the last wait watched: the wake pipe, the open watch, the master
  // (only the first two while the master is not watched).
  pollfd fds[3] = {};
  nfds_t nfds = 0;

  // Queues bytes to send; beyond `limit` blocks the oldest one not yet begun
  // is dropped. Returns how many were dropped.
  std::size_t queue(Chunk chunk, std::size_t limit) {
    out.push_back(std::move(chunk));
    std::size_t dropped = 0;
    while (out.size() > std::max<std::size_t>(limit, 1)) {
      const std::size_t oldest = out.front().sent > 0 ? 1 : 0;  // never cut one in the middle
      if (oldest >= out.size() - 1) break;
      out.erase(out.begin() + static_cast<std::ptrdiff_t>(oldest));
      ++dropped;
    }
    return dropped;
  }

  void dropOutput() {
    out.clear();
    nextByteDue = -1;
    tx.reset();
  }
};

PtyServer::PtyServer(ValveModel& model, PtyOptions options)
    : model_(model), options_(std::move(options)), pacing_(options_.pacing) {}

PtyServer::~PtyServer() { stop(); }

void PtyServer::start() {
  if (running()) return;
  stop_ = false;
  hungUp_ = false;
  const int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m < 0) fail("posix_openpt");
  if (::grantpt(m) != 0 || ::unlockpt(m) != 0) {
    const int e = errno;
    ::close(m);
    errno = e;
    fail("grantpt/unlockpt");
  }
  char name[128];
  if (::ptsname_r(m, name, sizeof name) != 0) {
    const int e = errno;
    ::close(m);
    errno = e;
    fail("ptsname");
  }
  // Raw mode on the slave side, so that the line discipline neither echoes nor
  // translates. The setting outlives this descriptor; the slave is then left
  // closed, free for the tool to open exclusively.
  const int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (s < 0) {
    const int e = errno;
    ::close(m);
    errno = e;
    fail("open pty slave");
  }
  termios t{};
  if (::tcgetattr(s, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::tcsetattr(s, TCSANOW, &t);
  }
  ::close(s);
  ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
  // Opening the slave gives no event on the master; inotify does. Without it the
  // loop looks again every 2 ms while nobody has the port open.
  watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_ >= 0 && ::inotify_add_watch(watch_, name, IN_OPEN) < 0) {
    ::close(watch_);
    watch_ = -1;
  }
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    const int e = errno;
    ::close(m);
    errno = e;
    fail("pipe2");
  }
  {
    std::lock_guard lk(mu_);
    slavePath_ = name;
    rawOut_.clear();
    started_ = std::chrono::steady_clock::now();
    if (!options_.logFile.empty() && !logFile_) {
      logFile_ = std::fopen(options_.logFile.c_str(), "ae");
    }
  }
  master_ = m;
  thread_ = std::thread([this] { run(); });
}

void PtyServer::stop() {
  if (thread_.joinable()) {
    stop_ = true;
    const char c = 1;
    [[maybe_unused]] auto n = ::write(wake_[1], &c, 1);
    thread_.join();
  }
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  for (int& fd : wake_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  if (watch_ >= 0) ::close(watch_);
  watch_ = -1;
  std::lock_guard lk(mu_);
  if (logFile_) std::fclose(logFile_);
  logFile_ = nullptr;
}

std::string PtyServer::slavePath() const {
  std::lock_guard lk(mu_);
  return slavePath_;
}

void PtyServer::injectFault(Fault fault) {
  std::lock_guard lk(mu_);
  faults_.add(std::move(fault));
}

void PtyServer::clearFaults() {
  std::lock_guard lk(mu_);
  faults_.clear();
}

void PtyServer::sendRaw(std::vector<std::uint8_t> bytes) {
  {
    std::lock_guard lk(mu_);
    rawOut_.push_back(std::move(bytes));
  }
  if (wake_[1] >= 0) {
    const char c = 0;
    [[maybe_unused]] auto n = ::write(wake_[1], &c, 1);
  }
}

std::vector<LoggedRequest> PtyServer::requests() const {
  std::lock_guard lk(mu_);
  return {log_.begin(), log_.end()};
}

std::vector<std::string> PtyServer::requestTexts() const {
  std::lock_guard lk(mu_);
  std::vector<std::string> out;
  for (const auto& r : log_) out.push_back(r.text);
  return out;
}

std::vector<std::vector<std::uint8_t>> PtyServer::requestBytes() const {
  std::lock_guard lk(mu_);
  std::vector<std::vector<std::uint8_t>> out;
  for (const auto& r : log_) out.push_back(r.raw);
  return out;
}

std::size_t PtyServer::requestCount() const {
  std::lock_guard lk(mu_);
  return log_.size() + logDropped_;
}

std::size_t PtyServer::droppedRequests() const {
  std::lock_guard lk(mu_);
  return logDropped_;
}

void PtyServer::clearLog() {
  std::lock_guard lk(mu_);
  log_.clear();
  logDropped_ = 0;
}

bool PtyServer::waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lk(mu_);
  return logged_.wait_for(lk, timeout, [&] { return log_.size() + logDropped_ >= n; });
}

void PtyServer::run() {
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  Loop L(model_);
  std::vector<std::uint8_t> buf(4096);
  while (!stop_.load()) {
    const std::int64_t now = monoNs();
    queueRawOutput(L, now);
    answerDueRequests(L, now);
    const int r = waitForEvents(L, now);
    const pollfd* fds = L.fds;
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents & POLLIN) {
      char drain[64];
      while (::read(wake_[0], drain, sizeof drain) > 0) {
      }
    }
    if (master_ >= 0) newSession(L);
    if (L.nfds < 3 || fds[2].revents == 0) continue;
    if (fds[2].revents & POLLOUT) L.writeBlocked = false;
    if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) readRequests(L, buf);
  }
}

void PtyServer::handle(Loop& L, Pending& p, std::int64_t now) {
  std::optional<Fault> fault;
  {
    std::lock_guard lk(mu_);
    log_.push_back({std::chrono::steady_clock::now(), p.request.raw, p.request.text});
    if (logFile_) {
      const double t = std::chrono::duration<double>(log_.back().time - started_).count();
      std::fprintf(logFile_, "%.6f %s\n", t, printable(p.request.raw).c_str());
      std::fflush(logFile_);
    }
    while (log_.size() > std::max<std::size_t>(options_.maxLoggedRequests, 1)) {
      log_.pop_front();
      ++logDropped_;
    }
    fault = faults_.take(p.request.text);
    logged_.notify_all();
  }
  // A request lost on the way never reaches the valve.
  if (fault && fault->kind == FaultKind::Ignore) return;
  auto reply = L.frames.answer(p.request);
  if (!reply) return;
  int delayMs = 0;
  if (fault) {
    FaultOutcome o = applyFault(*fault, std::move(*reply));
    if (o.hangUp) {
      // The line goes dead: the tool sees EIO or no bytes from now on.
      ::close(master_);
      master_ = -1;
      hungUp_ = true;
      L.pending.clear();
      L.dropOutput();
      return;
    }
    reply = std::move(o.bytes);
    delayMs = o.delayMs;
  }
  if (reply->empty()) return;
  droppedReplies_ +=
      L.queue({std::max(p.due, now) + std::int64_t(delayMs) * 1'000'000, std::move(*reply)}, options_.maxQueuedReplies);
}

bool PtyServer::answerAllPending(Loop& L) {
  while (!L.pending.empty() && master_ >= 0) {
    handle(L, L.pending.front(), monoNs());
    if (master_ < 0) return false;
    L.pending.pop_front();
  }
  return true;
}

bool PtyServer::newSession(Loop& L) {
  if (watch_ < 0) return false;
  alignas(inotify_event) char ev[1024];
  bool opened = false;
  while (::read(watch_, ev, sizeof ev) > 0) opened = true;
  if (opened) {
    // Requests of the earlier session still take effect, unanswered.
    if (!answerAllPending(L)) return true;
    L.frames.reset();
    L.rx.reset();
    L.dropOutput();
    L.writeBlocked = false;
    L.peerGone = false;
    if (master_ >= 0) ::tcflush(master_, TCOFLUSH);
  }
  return opened;
}

std::int64_t PtyServer::flush(Loop& L, std::int64_t now) {
  const bool paced = pacing_.load();
  while (!L.out.empty() && !L.writeBlocked) {
    auto& c = L.out.front();
    if (c.notBefore > now) return c.notBefore;
    std::size_t n = c.bytes.size() - c.sent;
    if (paced) {
      // Every byte whose last bit has crossed the line by now goes out in one write.
      std::size_t due = 0;
      while (due < n) {
        if (L.nextByteDue < 0) L.nextByteDue = L.tx.next(c.notBefore);
        if (L.nextByteDue > now) break;
        ++due;
        L.nextByteDue = -1;
        if (due < n) L.nextByteDue = L.tx.next(c.notBefore);
      }
      if (due == 0) return L.nextByteDue;
      n = due;
    }
    // Bytes written while no tool has the port open would wait in the tty for
    // the next one that opens it; a closed port loses them instead.
    pollfd hup{master_, 0, 0};
    if (::poll(&hup, 1, 0) == 1 && (hup.revents & POLLHUP)) return -1;
    if (newSession(L)) return -1;
    const ssize_t w = ::write(master_, c.bytes.data() + c.sent, n);
    if (w < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        L.writeBlocked = true;
        break;
      }
      if (errno == EINTR) continue;
      L.dropOutput();  // EIO: nobody is listening
      break;
    }
    c.sent += static_cast<std::size_t>(w);
    if (c.sent == c.bytes.size()) L.out.pop_front();
    if (paced && static_cast<std::size_t>(w) < n) L.nextByteDue = -1;
  }
  return -1;
}

void PtyServer::queueRawOutput(Loop& L, std::int64_t now) {
  std::lock_guard lk(mu_);
  while (!rawOut_.empty()) {
    if (!L.peerGone && master_ >= 0)
      droppedReplies_ += L.queue({now, std::move(rawOut_.front())}, options_.maxQueuedReplies);
    rawOut_.pop_front();
  }
}

void PtyServer::answerDueRequests(Loop& L, std::int64_t now) {
  while (!L.pending.empty() && L.pending.front().due <= now && master_ >= 0) {
    handle(L, L.pending.front(), now);
    if (master_ < 0) break;
    L.pending.pop_front();
  }
}

int PtyServer::waitForEvents(Loop& L, std::int64_t now) {
  std::int64_t wakeAt = -1;
  if (master_ >= 0 && !L.peerGone) wakeAt = flush(L, now);
  if (!L.pending.empty()) {
    const std::int64_t d = L.pending.front().due;
    wakeAt = wakeAt < 0 ? d : std::min(wakeAt, d);
  }

  pollfd* fds = L.fds;
  fds[0] = {wake_[0], POLLIN, 0};
  fds[1] = {watch_, POLLIN, 0};
  fds[2] = {master_, 0, 0};
  L.nfds = 2;
  if (master_ >= 0 && !L.peerGone) {
    fds[2].events = POLLIN | (L.writeBlocked ? POLLOUT : 0);
    L.nfds = 3;
  }
  if (L.peerGone && master_ >= 0 && watch_ < 0) {
    // No tool has the port open and no event will say when one opens it: look
    // again shortly.
    const std::int64_t d = now + 2'000'000;
    wakeAt = wakeAt < 0 ? d : std::min(wakeAt, d);
    L.peerGone = false;
  }
  timespec ts{};
  timespec* tsp = nullptr;
  if (wakeAt >= 0) {
    const std::int64_t wait = std::max<std::int64_t>(0, wakeAt - now);
    ts.tv_sec = static_cast<time_t>(wait / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(wait % 1'000'000'000);
    tsp = &ts;
  }
  return ::ppoll(fds, L.nfds, tsp, nullptr);
}

void PtyServer::readRequests(Loop& L, std::vector<std::uint8_t>& buf) {
  for (;;) {
    newSession(L);
    const ssize_t n = ::read(master_, buf.data(), buf.size());
    if (n > 0) {
      const std::int64_t t = monoNs();
      const bool paced = pacing_.load();
      for (ssize_t i = 0; i < n; ++i) {
        const std::int64_t arrival = paced ? L.rx.next(t) : t;
        for (Request& req : L.frames.feed(&buf[i], 1)) L.pending.push_back({arrival, std::move(req)});
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    // EIO (or end of file): the last slave descriptor was closed. Requests
    // already received still take effect in the valve, but no reply is kept
    // for the next tool that opens the port.
    answerAllPending(L);
    if (master_ < 0) break;
    L.peerGone = true;
    L.frames.reset();
    L.rx.reset();
    L.dropOutput();
    L.writeBlocked = false;
    break;
  }
}

}  // namespace sim
