// Wire constants of the valve's register protocol. Header-only and free of any
// dependency so that the valve simulator can share it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tvx::proto {

inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;

inline constexpr std::uint32_t MarkerTrue = 0xAAAAAAAAu;
inline constexpr std::uint32_t MarkerFalse = 0x55555555u;
// Argument of one-shot commands that need none.
inline constexpr std::uint32_t OneShot = 0x5555AAAAu;

// Request letters.
inline constexpr char ReadParameterLetter = 'R';
inline constexpr char ReadStateLetter = 'G';
inline constexpr char WriteLetter = 'W';
inline constexpr char CommandLetter = 'S';

inline constexpr std::size_t ShortRequestLength = 6;   // STX, letter, nnn, ETX
inline constexpr std::size_t ValueRequestLength = 15;  // STX, letter, nnn, '=', 8 hex, ETX
inline constexpr std::size_t FramedReplyLength = 15;   // STX, 5 bytes, 8 hex, ETX
inline constexpr std::size_t ReplyValueOffset = 6;     // first hex digit of a framed reply

// Registers answered with raw blocks instead of a framed reply.
inline constexpr int ParameterBlockRegister = 31;
inline constexpr int SecondBlockRegister = 32;
inline constexpr std::size_t ParameterBlockLength = 512;
inline constexpr std::size_t SecondBlockLength = 1024;
inline constexpr std::size_t OtherBlockLength = 2048;

inline constexpr int TraceChunkRegister = 10;
inline constexpr std::size_t TraceChunkLength = 60;
inline constexpr std::size_t TraceSampleLength = 12;
inline constexpr std::size_t TraceSamples = 500;

inline constexpr int LinTableRegisterFirst = 35;  // tables 1..3 are registers 35..37
// A linearisation table has eleven points: the measured values of points 0 to
// 10, then their corrected values, one 32-bit word each.
inline constexpr int LinTablePoints = 11;
inline constexpr int LinTableValues = 2 * LinTablePoints;
inline constexpr std::size_t LinTableLength = std::size_t{4} * LinTableValues;  // 88 bytes

inline constexpr int SerialNumberRegister = 40;
inline constexpr int DeviceTypeRegister = 41;
inline constexpr std::size_t TextReplyLength = 40;

// Command 991 asks for a raw profile bank; its argument carries bank and length.
inline constexpr int ProfileBankCommand = 991;
inline constexpr std::uint32_t ProfileBankBase = 0xAA550000u;

inline constexpr std::size_t ParameterWords = 128;

// Raw block length of a 'G' block request for a register.
constexpr std::size_t BlockLength(int reg) {
  return reg == ParameterBlockRegister ? ParameterBlockLength
         : reg == SecondBlockRegister  ? SecondBlockLength
                                       : OtherBlockLength;
}

constexpr std::uint32_t ProfileBankArgument(int bank, std::uint32_t length) {
  return ProfileBankBase + static_cast<std::uint32_t>(bank) * 4096u + length;
}

}  // namespace tvx::proto
