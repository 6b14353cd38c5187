// Any byte stream fed to the simulated valve's frame server: requests are cut
// out and answered without crashing, and every reply has a valid length.
#include "sim/frame_server.h"
#include "sim/valve_model.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sim::ValveModel model;
  sim::FrameServer server(model);
  for (const sim::Request& request : server.feed(data, size)) {
    auto reply = server.answer(request);
    if (reply && reply->empty()) __builtin_trap();
  }
  return 0;
}
