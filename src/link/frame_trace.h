// A debug trace of every frame sent and received, timestamped, in hex and
// ASCII. Off by default; TARVELMUNDIX_TRACE=1 writes it to standard error,
// TARVELMUNDIX_TRACE=<file> appends it to that file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvx::link {

enum class FrameDirection { Sent, Received, TimedOut };

bool FrameTraceEnabled();
void TraceFrame(FrameDirection direction, const std::uint8_t* bytes, std::size_t length);
void TraceNote(const std::string& text);

// One trace line without timestamp, e.g. "TX 02 52 30 30 31 03  .R001.".
std::string FormatTraceLine(FrameDirection direction, const std::uint8_t* bytes, std::size_t length);

}  // namespace tvx::link
