#include "link/frame_trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tvx::link {

namespace {

struct TraceSink {
  std::FILE* out = nullptr;
  bool owned = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::mutex mutex;

  TraceSink() {
    const char* setting = std::getenv("TARVELMUNDIX_TRACE");
    if (!setting || !*setting || std::string(setting) == "0") return;
    std::string value = setting;
    if (value == "1" || value == "stderr") {
      out = stderr;
    } else {
      out = std::fopen(value.c_str(), "a");
      owned = out != nullptr;
      if (!out) out = stderr;
    }
  }
  ~TraceSink() {
    if (owned) std::fclose(out);
  }
};

TraceSink& Sink() {
  static TraceSink sink;
  return sink;
}

void Write(const std::string& line) {
  TraceSink& s = Sink();
  std::lock_guard lock(s.mutex);
  double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - s.start).count();
  std::fprintf(s.out, "%12.6f %s\n", t, line.c_str());
  std::fflush(s.out);
}

}  // namespace

bool FrameTraceEnabled() { return Sink().out != nullptr; }

std::string FormatTraceLine(FrameDirection direction, const std::uint8_t* bytes, std::size_t length) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string line = direction == FrameDirection::Sent       ? "TX"
                     : direction == FrameDirection::Received ? "RX"
                                                             : "RX (timed out)";
  std::string ascii;
  for (std::size_t i = 0; i < length; ++i) {
    line += ' ';
    line += Hex[bytes[i] >> 4];
    line += Hex[bytes[i] & 0xF];
    ascii += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
  }
  return line + "  " + ascii;
}

void TraceFrame(FrameDirection direction, const std::uint8_t* bytes, std::size_t length) {
  if (!FrameTraceEnabled()) return;
  Write(FormatTraceLine(direction, bytes, length));
}

void TraceNote(const std::string& text) {
  if (FrameTraceEnabled()) Write("-- " + text);
}

}  // namespace tvx::link
