#include "link/frames.h"

#include "link/protocol.h"

#include <bit>

namespace tvx::link {

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";

int HexValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string RegisterDigits(int reg) {
  std::string digits = std::to_string(reg);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return digits;
}

std::string HexWord(std::uint32_t word) {
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, word >>= 4) text[static_cast<std::size_t>(i)] = HexDigits[word & 0xF];
  return text;
}

Frame ShortRequest(char letter, int reg) {
  Frame f;
  f.reserve(proto::ShortRequestLength);
  f.push_back(proto::STX);
  f.push_back(static_cast<std::uint8_t>(letter));
  for (char c : RegisterDigits(reg)) f.push_back(static_cast<std::uint8_t>(c));
  f.push_back(proto::ETX);
  return f;
}

Frame ValueRequest(char letter, int reg, std::uint32_t word) {
  Frame f;
  f.reserve(proto::ValueRequestLength);
  f.push_back(proto::STX);
  f.push_back(static_cast<std::uint8_t>(letter));
  for (char c : RegisterDigits(reg)) f.push_back(static_cast<std::uint8_t>(c));
  f.push_back('=');
  for (char c : HexWord(word)) f.push_back(static_cast<std::uint8_t>(c));
  f.push_back(proto::ETX);
  return f;
}

bool FramedReplyIntact(const std::uint8_t* reply) {
  return reply[0] == proto::STX && reply[proto::FramedReplyLength - 1] == proto::ETX;
}

std::optional<std::uint32_t> FramedReplyValue(const std::uint8_t* reply) {
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    int v = HexValue(reply[proto::ReplyValueOffset + i]);
    if (v < 0) return std::nullopt;
    word = (word << 4) | static_cast<std::uint32_t>(v);
  }
  return word;
}

std::string FramedReplyDigits(const std::uint8_t* reply) {
  return std::string(reinterpret_cast<const char*>(reply + proto::ReplyValueOffset), 8);
}

std::string TextFromReply(const std::uint8_t* bytes, std::size_t length) {
  while (length > 0 && bytes[length - 1] == 0) --length;
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

std::uint32_t FloatToWord(float value) { return std::bit_cast<std::uint32_t>(value); }
float WordToFloat(std::uint32_t word) { return std::bit_cast<float>(word); }

}  // namespace tvx::link
