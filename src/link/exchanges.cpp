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

bool Busy = false;

std::function<void()>& EndHook() {
  static std::function<void()> hook;
  return hook;
}

ExchangeObserver& Observer() {
  static ExchangeObserver observer;
  return observer;
}

// Marks one exchange as under way for its whole length, reset to pause, and
// refuses a second one started from inside its waits.
class ExchangeScope {
 public:
  ExchangeScope() {
    if (Busy) {
      TraceNote("nested exchange refused");
      throw ExchangeBusy();
    }
    Busy = true;
  }
  ~ExchangeScope() {
    Busy = false;
    if (EndHook()) EndHook()();
  }
  ExchangeScope(const ExchangeScope&) = delete;
  ExchangeScope& operator=(const ExchangeScope&) = delete;
};

bool ReplyComplete(std::size_t expected) { return ReplyLength.load(std::memory_order_acquire) == expected; }

// The common skeleton: reset, send, poll, check. Copies the reply into `reply`
// (at least `expected` bytes). Returns false only when cancelled.
bool Exchange(const Frame& request, std::size_t expected, const ExchangeTiming& t, std::uint8_t* reply,
              const bool* cancel = nullptr) {
  ResetReplyBuffer();
  for (std::uint8_t b : request) WritePortByte(b);
  TraceFrame(FrameDirection::Sent, request.data(), request.size());

  bool matched = false;
  for (int poll = 0; poll < t.polls && !matched; ++poll) {
    switch (t.order) {
      case PollOrder::WaitThenCompare:
        PumpWait(t.waitMs);
        matched = ReplyComplete(expected);
        break;
      case PollOrder::CancelCompareWait:
        if (cancel && *cancel) {
          TraceNote("cancelled");
          return false;
        }
        [[fallthrough]];
      case PollOrder::CompareThenWait:
        matched = ReplyComplete(expected);
        if (!matched) PumpWait(t.waitMs);
        break;
    }
  }
  if (!matched) {
    std::size_t got = std::min<std::size_t>(ReplyLength.load(std::memory_order_acquire), ReplyBufferSize);
    TraceFrame(FrameDirection::TimedOut, ReplyBuffer, got);
    CommError(t.code);
  }
  std::memcpy(reply, ReplyBuffer, expected);
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

std::uint32_t FramedExchange(char letter, int reg, const std::uint32_t* word, ExchangeCode code,
                             const WordCheck& check = {}) {
  ExchangeScope scope;
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
  Exchange(request, proto::FramedReplyLength, t, reply);
  if (write) LogFrameAnswered();
  std::uint32_t value = t.framed ? FramedValue(reply) : 0;
  if (check && !check(0, value)) {
    TraceNote("implausible word");
    CommError(t.code);
  }
  if (letter == proto::ReadParameterLetter) NoteParameterWord(reg, value);
  if (Observer()) Observer()(letter, reg, word ? std::optional<std::uint32_t>(*word) : std::nullopt, value);
  if (t.pauseMs) PumpWait(t.pauseMs);
  return value;
}

void RawExchange(const Frame& request, std::size_t expected, ExchangeCode code, std::uint8_t* buffer,
                 const WordCheck& check = {}) {
  ExchangeScope scope;
  const ExchangeTiming& t = TimingOf(code);
  Exchange(request, expected, t, buffer);
  CheckWords(check, buffer, expected, t.code);
  if (t.pauseMs) PumpWait(t.pauseMs);
}

std::string TextExchange(int reg, ExchangeCode code) {
  std::uint8_t text[proto::TextReplyLength];
  RawExchange(ShortRequest(proto::ReadStateLetter, reg), sizeof text, code, text);
  return TextFromReply(text, sizeof text);
}

}  // namespace

const ExchangeTiming& TimingOf(ExchangeCode code) { return Timings[static_cast<std::size_t>(code) - 1]; }

bool ExchangeInProgress() { return Busy; }

void SetExchangeEndHook(std::function<void()> hook) { EndHook() = std::move(hook); }

void SetExchangeObserver(ExchangeObserver observer) { Observer() = std::move(observer); }

std::uint32_t ReadParameter(int reg, const WordCheck& check) {
  return FramedExchange(proto::ReadParameterLetter, reg, nullptr, ReadParameterCode, check);
}

std::uint32_t ReadRegister(int reg) { return FramedExchange(proto::ReadStateLetter, reg, nullptr, ReadRegisterCode); }

float ReadRegisterFloat(int reg) { return WordToFloat(ReadRegister(reg)); }

void WriteRegister(int reg, std::uint32_t word) { FramedExchange(proto::WriteLetter, reg, &word, WriteRegisterCode); }

void WriteRegisterFloat(int reg, float value) { WriteRegister(reg, FloatToWord(value)); }

std::uint32_t SendCommand(int command, std::uint32_t word) {
  return FramedExchange(proto::CommandLetter, command, &word, SendCommandCode);
}

void ReadBlock(int reg, std::uint8_t* buffer, const WordCheck& check) {
  RawExchange(ShortRequest(proto::ReadStateLetter, reg), proto::BlockLength(reg), ReadBlockCode, buffer, check);
  if (reg == proto::ParameterBlockRegister) {
    NoteParameterBlock(buffer, proto::ParameterBlockLength);
    if (Observer()) {
      for (std::size_t i = 0; i < proto::ParameterWords; ++i) {
        const std::uint8_t* w = buffer + 4 * i;
        const std::uint32_t word =
            std::uint32_t{w[0]} | std::uint32_t{w[1]} << 8 | std::uint32_t{w[2]} << 16 | std::uint32_t{w[3]} << 24;
        Observer()(proto::ReadParameterLetter, static_cast<int>(i) + 1, std::nullopt, word);
      }
    }
  }
}

bool ReadTraceChunk(std::uint8_t* buffer, const bool& cancel) {
  ExchangeScope scope;
  return Exchange(ShortRequest(proto::ReadStateLetter, proto::TraceChunkRegister), proto::TraceChunkLength,
                  TimingOf(ReadTraceChunkCode), buffer, &cancel);
}

void ReadProfileBank(int bank, std::uint32_t length, std::uint8_t* buffer, const WordCheck& check) {
  RawExchange(ValueRequest(proto::CommandLetter, proto::ProfileBankCommand, proto::ProfileBankArgument(bank, length)),
              length, ReadProfileBankCode, buffer, check);
}

void ReadLinTable(int table, std::uint8_t* buffer, const WordCheck& check) {
  RawExchange(ShortRequest(proto::ReadStateLetter, proto::LinTableRegisterFirst + table - 1), proto::LinTableLength,
              ReadLinTableCode, buffer, check);
}

std::string ReadSerialNumber() { return TextExchange(proto::SerialNumberRegister, ReadSerialNumberCode); }

std::string ReadDeviceType() { return TextExchange(proto::DeviceTypeRegister, ReadDeviceTypeCode); }

}  // namespace tvx::link
