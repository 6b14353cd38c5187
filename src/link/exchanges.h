// The exchanges with the valve. Each one resets the reply buffer, writes its
// request byte by byte, polls the reply count with PumpWait, checks and
// converts the reply, and pauses where the valve needs it. Every failure ends
// in CommError (UsbError) except a cancelled ReadTraceChunk; a non-hex digit in
// a framed reply raises ConversionError without the CommError message.
// One exchange at a time, user-interface thread only; nothing queues or retries.
#pragma once

#include "link/port.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace tvx::link {

enum ExchangeCode : int {
  ReadParameterCode = 1,
  WriteRegisterCode = 2,
  ReadRegisterCode = 3,
  ReadTraceChunkCode = 4,
  ReadBlockCode = 5,
  ReadProfileBankCode = 6,
  ReadLinTableCode = 7,
  ReadSerialNumberCode = 8,
  ReadDeviceTypeCode = 9,
  SendCommandCode = 10,
};

enum class PollOrder {
  WaitThenCompare,
  CompareThenWait,
  CancelCompareWait,  // look at the cancel flag, compare, then wait
};

struct ExchangeTiming {
  PollOrder order;
  unsigned waitMs;   // PumpWait between polls
  int polls;         // at most this many
  bool framed;       // STX/ETX checked
  unsigned pauseMs;  // PumpWait after success
  int code;          // reported by CommError
};

// The timing rules of each kind of exchange.
const ExchangeTiming& TimingOf(ExchangeCode code);

// True from the moment an exchange on the port resets the reply buffer until
// it returns (pause included).
bool ExchangeInProgress(const Port& port);
// True while an exchange of the calling thread is under way, on any port.
// Timers that exchange skip their tick while it is set; the program's message
// pump holds user input back meanwhile.
bool ExchangeInProgress();

// Called each time an exchange on the port has ended, also by an error. The
// window wakes its event loop there, so that the input held back meanwhile is
// delivered now rather than with the next event that happens to come.
void SetExchangeEndHook(Port& port, std::function<void()> hook);

// The port's ExchangeObserver (link/port.h); an empty one ends it.
void SetExchangeObserver(Port& port, ExchangeObserver observer);

// Thrown when an exchange is started while another one waits (from a message
// processed inside the first one's waits). The running exchange's reply buffer
// is left untouched and nothing is sent.
class ExchangeBusy : public std::runtime_error {
 public:
  ExchangeBusy() : std::runtime_error("Valve link busy") {}
};

// A reply can be framed correctly and still carry a word no valve holds (a
// corrupted byte inside a raw block, noise on the line). A read given a check
// asks it about every word of the reply, by its place (0 for the value of a
// framed reply; raw replies as little-endian words); one word refused fails
// the exchange as a malformed reply: CommError with the exchange's code, and
// nothing of the reply is noted or returned.
using WordCheck = std::function<bool(std::size_t index, std::uint32_t word)>;

std::uint32_t ReadParameter(Port& port, int reg, const WordCheck& check = {});
std::uint32_t ReadRegister(Port& port, int reg);
float ReadRegisterFloat(Port& port, int reg);
void WriteRegister(Port& port, int reg, std::uint32_t word);
// WriteRegister with the IEEE-754 single bit pattern of the value.
void WriteRegisterFloat(Port& port, int reg, float value);
// Sends a command with its argument; returns the word the valve answers.
std::uint32_t SendCommand(Port& port, int command, std::uint32_t word);
// Raw block of 512 (register 31), 1024 (32) or 2048 bytes (any other);
// `buffer` holds at least that many.
void ReadBlock(Port& port, int reg, std::uint8_t* buffer, const WordCheck& check = {});
// 60 bytes of the trace recording; false at once when `cancel` is found set.
bool ReadTraceChunk(Port& port, std::uint8_t* buffer, const bool& cancel);
// `length` raw bytes of profile bank 0, 1 or 2.
void ReadProfileBank(Port& port, int bank, std::uint32_t length, std::uint8_t* buffer, const WordCheck& check = {});
// 88 bytes of linearisation table 1, 2 or 3.
void ReadLinTable(Port& port, int table, std::uint8_t* buffer, const WordCheck& check = {});
std::string ReadSerialNumber(Port& port);
std::string ReadDeviceType(Port& port);

}  // namespace tvx::link
