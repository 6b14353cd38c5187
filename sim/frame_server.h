// Byte-level protocol engine of the simulated valve, free of any I/O: it cuts the
// incoming byte stream into request frames and turns each into the valve's reply
// bytes. Also the description of injected faults and how a fault changes a reply.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/valve_model.h"

namespace sim {

// One complete request frame as received (STX ... ETX).
struct Request {
  std::vector<std::uint8_t> raw;  // with STX and ETX
  std::string text;               // without STX and ETX, e.g. "R001", "W003=3FC00000"
  bool valid = false;             // well-formed 6- or 15-byte request
  char letter = 0;                // 'R', 'G', 'W' or 'S' when valid
  int number = 0;                 // 0..999
  std::uint32_t value = 0;        // the argument of 'W' and 'S'
};

class FrameServer {
 public:
  explicit FrameServer(ValveModel& model) : model_(model) {}

  // Feeds received bytes; returns the request frames completed by them. Bytes
  // outside a frame are ignored; an STX inside a frame starts a new one; a frame
  // longer than 15 bytes without ETX is dropped.
  std::vector<Request> feed(const std::uint8_t* data, std::size_t size);
  // Forgets a partly received frame (the line was closed).
  void reset() {
    partial_.clear();
    inFrame_ = false;
  }

  // The valve's reply to a request: a framed 15-byte reply or a raw block. A
  // malformed request gets no reply.
  std::optional<std::vector<std::uint8_t>> answer(const Request& request);

  // Convenience for tests: feed, then answer every completed request.
  std::vector<std::uint8_t> process(const std::uint8_t* data, std::size_t size);
  std::vector<std::uint8_t> process(const std::string& bytes) {
    return process(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }

  // A framed reply: STX, letter, three digits, '=', 8 upper-case hex digits, ETX.
  static std::vector<std::uint8_t> framed(char letter, int number, std::uint32_t value);

 private:
  ValveModel& model_;
  std::vector<std::uint8_t> partial_;
  bool inFrame_ = false;
};

// ---- Fault injection -----------------------------------------------------------

enum class FaultKind {
  Drop,        // no reply
  Delay,       // reply after `param` ms
  CorruptStx,  // first byte of the reply changed
  CorruptEtx,  // last byte of the reply changed
  StrayByte,   // one extra byte (`param`, default 0x00) before the reply
  Truncate,    // only the first `param` bytes of the reply
  Garbage,     // bytes of the reply's length that are no reply at all
  HangUp,      // the line is closed instead of replying
  Ignore,      // the request is lost on the way: not acted on, no reply
  Noise,       // a reply of the right form with noise for its contents: a framed
               // reply keeps its frame and carries 8 noise hex digits, a raw
               // block is noise bytes (as with Garbage, which it has no frame)
};
// The last kind above: the control port takes kinds up to it by number.
inline constexpr FaultKind LastFaultKind = FaultKind::Noise;

struct Fault {
  FaultKind kind = FaultKind::Drop;
  int param = 0;
  // Applies to the next request whose text starts with this (e.g. "G003",
  // "S991", "W"); empty: the next request of any kind.
  std::string match;
  int count = 1;  // how many matching requests it applies to
  int skip = 0;   // matching requests let through untouched before it applies
};

// Parses a fault given on the command line:
//   KIND[:PARAM][@MATCH][+K][xCOUNT]
// with KIND one of drop, delay, stx, etx, stray, truncate, garbage, hangup,
// ignore, noise,
// e.g. "drop", "delay:2000@G003", "truncate:7x3", "hangup@S999"; "+K" makes it
// apply from the K-th matching request on ("drop@G010+3": the third G010).
std::optional<Fault> parseFault(const std::string& text);
std::string describeFault(const Fault& fault);

// What the transport does with one reply after a fault.
struct FaultOutcome {
  std::vector<std::uint8_t> bytes;  // what to send (may be empty)
  int delayMs = 0;
  bool hangUp = false;
};
FaultOutcome applyFault(const Fault& fault, std::vector<std::uint8_t> reply);

// A queue of pending faults, consumed by matching requests in order.
class FaultPlan {
 public:
  void add(Fault fault) { faults_.push_back(std::move(fault)); }
  void clear() { faults_.clear(); }
  bool empty() const { return faults_.empty(); }
  // The fault for this request, if one applies (its count is used up by one).
  std::optional<Fault> take(const std::string& requestText);

 private:
  std::vector<Fault> faults_;
};

}  // namespace sim
