// Any bytes as a framed reply or a text reply: the checks and conversions must
// neither crash nor read outside the reply.
#include "link/frames.h"
#include "link/protocol.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tvx;
  if (size >= proto::FramedReplyLength) {
    std::vector<std::uint8_t> reply(data, data + proto::FramedReplyLength);
    bool intact = link::FramedReplyIntact(reply.data());
    auto value = link::FramedReplyValue(reply.data());
    if (value) {
      // A converted value prints back to the same digits, up to letter case.
      std::string digits = link::FramedReplyDigits(reply.data());
      std::string again = link::HexWord(*value);
      for (std::size_t i = 0; i < 8; ++i)
        if (std::toupper(static_cast<unsigned char>(digits[i])) != again[i]) __builtin_trap();
    }
    (void)intact;
  }
  std::string text = link::TextFromReply(data, size);
  if (text.size() > size || (!text.empty() && text.back() == '\0')) __builtin_trap();
  return 0;
}
