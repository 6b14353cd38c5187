// Any byte stream fed to the simulated valve's frame server: requests are cut
// out and answered without crashing, and every reply has a valid length.
#include "link/protocol.h"
#include "sim/frame_server.h"
#include "sim/valve_model.h"

#include <cstdint>

namespace {

// S991 asks for a raw profile bank of the length in its argument's low 12
// bits; a length of 0 is answered with nothing at all.
bool EmptyReplyAsked(const sim::Request& request) {
  return request.letter == tvx::proto::CommandLetter && request.number == tvx::proto::ProfileBankCommand &&
         (request.value & 0xFFFF0000u) == tvx::proto::ProfileBankBase && (request.value & 0xFFFu) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sim::ValveModel model;
  sim::FrameServer server(model);
  for (const sim::Request& request : server.feed(data, size)) {
    auto reply = server.answer(request);
    if (reply && reply->empty() && !EmptyReplyAsked(request)) __builtin_trap();
  }
  return 0;
}
