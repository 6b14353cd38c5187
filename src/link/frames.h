// Request frames and reply conversion: pure functions, no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvx::link {

using Frame = std::vector<std::uint8_t>;

// The three ASCII digits of a register number: 5 -> "005", 67 -> "067".
std::string RegisterDigits(int reg);
// A word as exactly 8 upper-case hexadecimal digits, most significant first.
std::string HexWord(std::uint32_t word);

// STX, letter, nnn, ETX.
Frame ShortRequest(char letter, int reg);
// STX, letter, nnn, '=', hhhhhhhh, ETX.
Frame ValueRequest(char letter, int reg, std::uint32_t word);

// Byte 0 is STX and byte 14 is ETX.
bool FramedReplyIntact(const std::uint8_t* reply);
// Bytes 6 to 13 as a hexadecimal word (upper- or lower-case digits); nothing
// when one of them is not a hexadecimal digit.
std::optional<std::uint32_t> FramedReplyValue(const std::uint8_t* reply);
// Bytes 6 to 13 as text, for the conversion error message.
std::string FramedReplyDigits(const std::uint8_t* reply);

// Raw text reply: the bytes in order with trailing NULs removed.
std::string TextFromReply(const std::uint8_t* bytes, std::size_t length);

std::uint32_t FloatToWord(float value);
float WordToFloat(std::uint32_t word);

}  // namespace tvx::link
