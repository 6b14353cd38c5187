#include "link/exchanges.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/frame_trace.h"
#include "link/frames.h"
#include "link/port.h"
#include "link/protocol.h"
#include "link/pump_wait.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace tvx::link {

namespace {

constexpr std::array<ExchangeTiming, 10> Timings{{
    {PollOrder::WaitThenCompare, 1, 1500, true, 10, ReadParameterCode},
    {PollOrder::WaitThenCompare, 1, 1500, false, 10, WriteRegisterCode},
    {PollOrder::WaitThenCompare, 2, 750, true, 0, ReadRegisterCode},
    {PollOrder::CancelCompareWait, 1, 1500, false, 0, ReadTraceChunkCode},
    {PollOrder::CompareThenWait, 1, 2500, false, 10, ReadBlockCode},
    {PollOrder::CompareThenWait, 1, 2500, false, 10, ReadProfileBankCode},
    {PollOrder::CompareThenWait, 1, 2500, false, 10, ReadLinTableCode},
    {PollOrder::CompareThenWait, 1, 2500, false, 10, ReadSerialNumberCode},
    {PollOrder::CompareThenWait, 1, 2500, false, 10, ReadDeviceTypeCode},
    {PollOrder::WaitThenCompare, 10, 250, true, 10, SendCommandCode},
}};

// Exchanges under way on this thread (one per port at most).
thread_local int ThreadExchanges = 0;

// Marks one exchange as under way on its port for its whole length, reset to
// pause, and refuses a second one started from inside its waits.
class ExchangeScope {
 public:
  explicit ExchangeScope(Port& port) : port_(port) {
    if (port_.Busy) {
      TraceNote("nested exchange refused");
      throw ExchangeBusy();
    }
    port_.Busy = true;
    ++ThreadExchanges;
  }
  ~ExchangeScope() {
    port_.Busy = false;
    --ThreadExchanges;
    if (port_.ExchangeEndHook) port_.ExchangeEndHook();
  }
  ExchangeScope(const ExchangeScope&) = delete;
  ExchangeScope& operator=(const ExchangeScope&) = delete;

 private:
  Port& port_;
};

bool ReplyComplete(const Port& port, std::size_t expected) {
  return port.ReplyLength.load(std::memory_order_acquire) == expected;
}

// The common skeleton: reset, send, poll, check. Copies the reply into `reply`
// (at least `expected` bytes). Returns false only when cancelled.
bool Exchange(Port& port, const Frame& request, std::size_t expected, const ExchangeTiming& t, std::uint8_t* reply,
              const bool* cancel = nullptr) {
  ResetReplyBuffer(port);
  for (std::uint8_t b : request) WritePortByte(port, b);
  TraceFrame(FrameDirection::Sent, request.data(), request.size());

  bool matched = false;
  for (int poll = 0; poll < t.polls && !matched; ++poll) {
    switch (t.order) {
      case PollOrder::WaitThenCompare:
        PumpWait(t.waitMs);
        matched = ReplyComplete(port, expected);
        break;
      case PollOrder::CancelCompareWait:
        if (cancel && *cancel) {
          TraceNote("cancelled");
          return false;
        }
        [[fallthrough]];
      case PollOrder::CompareThenWait:
        matched = ReplyComplete(port, expected);
        if (!matched) PumpWait(t.waitMs);
        break;
    }
  }
  if (!matched) {
    std::size_t got = std::min<std::size_t>(port.ReplyLength.load(std::memory_order_acquire), ReplyBufferSize);
    TraceFrame(FrameDirection::TimedOut, port.ReplyBuffer, got);
    CommError(t.code);
  }
  std::memcpy(reply, port.ReplyBuffer, expected);
  TraceFrame(FrameDirection::Received, reply, expected);
  if (t.framed && !FramedReplyIntact(reply)) CommError(t.code);
  return true;
}

// Every word of a reply the caller's check refuses fails the exchange.
void CheckWords(const WordCheck& check, const std::uint8_t* reply, std::size_t length, int code) {
  if (!check) return;
  for (std::size_t k = 0; 4 * k + 3 < length; ++k) {
    const std::uint8_t* b = reply + 4 * k;
    const std::uint32_t word = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    if (!check(k, word)) {
      TraceNote("implausible word " + std::to_string(k));
      CommError(code);
    }
  }
}

std::uint32_t FramedValue(const std::uint8_t* reply) {
  auto value = FramedReplyValue(reply);
  if (!value) throw ConversionError("'" + FramedReplyDigits(reply) + "' is not a valid integer value");
  return *value;
}

std::uint32_t FramedExchange(Port& port, char letter, int reg, const std::uint32_t* word, ExchangeCode code,
                             const WordCheck& check = {}) {
  ExchangeScope scope(port);
  const ExchangeTiming& t = TimingOf(code);
  Frame request = word ? ValueRequest(letter, reg, *word) : ShortRequest(letter, reg);
  // Every write goes to the change log, within the operation that sent it or
  // on its own.
  const bool write = word && (letter == proto::WriteLetter || letter == proto::CommandLetter);
  std::optional<ChangeLogScope> logged;
  if (write) {
    logged.emplace(std::string());
    LogFrameSent(letter, reg, *word);
  }
  std::uint8_t reply[proto::FramedReplyLength];
  Exchange(port, request, proto::FramedReplyLength, t, reply);
  if (write) LogFrameAnswered();
  std::uint32_t value = t.framed ? FramedValue(reply) : 0;
  if (check && !check(0, value)) {
    TraceNote("implausible word");
    CommError(t.code);
  }
  if (letter == proto::ReadParameterLetter) NoteParameterWord(reg, value);
  if (port.Observer) port.Observer(letter, reg, word ? std::optional<std::uint32_t>(*word) : std::nullopt, value);
  if (t.pauseMs) PumpWait(t.pauseMs);
  return value;
}

void RawExchange(Port& port, const Frame& request, std::size_t expected, ExchangeCode code, std::uint8_t* buffer,
                 const WordCheck& check = {}) {
  ExchangeScope scope(port);
  const ExchangeTiming& t = TimingOf(code);
  Exchange(port, request, expected, t, buffer);
  CheckWords(check, buffer, expected, t.code);
  if (t.pauseMs) PumpWait(t.pauseMs);
}

std::string TextExchange(Port& port, int reg, ExchangeCode code) {
  std::uint8_t text[proto::TextReplyLength];
  RawExchange(port, ShortRequest(proto::ReadStateLetter, reg), sizeof text, code, text);
  return TextFromReply(text, sizeof text);
}

}  // namespace

const ExchangeTiming& TimingOf(ExchangeCode code) { return Timings[static_cast<std::size_t>(code) - 1]; }

bool ExchangeInProgress(const Port& port) { return port.Busy; }

bool ExchangeInProgress() { return ThreadExchanges > 0; }

void SetExchangeEndHook(Port& port, std::function<void()> hook) { port.ExchangeEndHook = std::move(hook); }

void SetExchangeObserver(Port& port, ExchangeObserver observer) { port.Observer = std::move(observer); }

std::uint32_t ReadParameter(Port& port, int reg, const WordCheck& check) {
  return FramedExchange(port, proto::ReadParameterLetter, reg, nullptr, ReadParameterCode, check);
}

std::uint32_t ReadRegister(Port& port, int reg) {
  return FramedExchange(port, proto::ReadStateLetter, reg, nullptr, ReadRegisterCode);
}

float ReadRegisterFloat(Port& port, int reg) { return WordToFloat(ReadRegister(port, reg)); }

void WriteRegister(Port& port, int reg, std::uint32_t word) {
  FramedExchange(port, proto::WriteLetter, reg, &word, WriteRegisterCode);
}

void WriteRegisterFloat(Port& port, int reg, float value) { WriteRegister(port, reg, FloatToWord(value)); }

std::uint32_t SendCommand(Port& port, int command, std::uint32_t word) {
  return FramedExchange(port, proto::CommandLetter, command, &word, SendCommandCode);
}

void ReadBlock(Port& port, int reg, std::uint8_t* buffer, const WordCheck& check) {
  RawExchange(port, ShortRequest(proto::ReadStateLetter, reg), proto::BlockLength(reg), ReadBlockCode, buffer, check);
  if (reg == proto::ParameterBlockRegister) {
    NoteParameterBlock(buffer, proto::ParameterBlockLength);
    if (port.Observer) {
      for (std::size_t i = 0; i < proto::ParameterWords; ++i) {
        const std::uint8_t* w = buffer + 4 * i;
        const std::uint32_t word =
            std::uint32_t{w[0]} | std::uint32_t{w[1]} << 8 | std::uint32_t{w[2]} << 16 | std::uint32_t{w[3]} << 24;
        port.Observer(proto::ReadParameterLetter, static_cast<int>(i) + 1, std::nullopt, word);
      }
    }
  }
}

bool ReadTraceChunk(Port& port, std::uint8_t* buffer, const bool& cancel) {
  ExchangeScope scope(port);
  return Exchange(port, ShortRequest(proto::ReadStateLetter, proto::TraceChunkRegister), proto::TraceChunkLength,
                  TimingOf(ReadTraceChunkCode), buffer, &cancel);
}

void ReadProfileBank(Port& port, int bank, std::uint32_t length, std::uint8_t* buffer, const WordCheck& check) {
  RawExchange(port,
              ValueRequest(proto::CommandLetter, proto::ProfileBankCommand, proto::ProfileBankArgument(bank, length)),
              length, ReadProfileBankCode, buffer, check);
}

void ReadLinTable(Port& port, int table, std::uint8_t* buffer, const WordCheck& check) {
  RawExchange(port, ShortRequest(proto::ReadStateLetter, proto::LinTableRegisterFirst + table - 1),
              proto::LinTableLength, ReadLinTableCode, buffer, check);
}

std::string ReadSerialNumber(Port& port) {
  return TextExchange(port, proto::SerialNumberRegister, ReadSerialNumberCode);
}

std::string ReadDeviceType(Port& port) { return TextExchange(port, proto::DeviceTypeRegister, ReadDeviceTypeCode); }

}  // namespace tvx::link
