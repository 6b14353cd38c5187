// Opening and closing the chart from the main window: the PWM frequency and
// sampling divider the chart works with, and the recorder settings read from
// the valve before the window opens and written back after it has closed.
#pragma once

#include "link/port.h"
#include "view/questions.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tvx::trace {

// What the chart writes (display settings kept in parameter registers) is
// logged under the caption of the button that opens it.
inline constexpr const char* ChartOperation = "Wykres";

struct ChartOpening {
  std::uint32_t pwmHz = 0;
  std::uint32_t divider = 1;
  std::uint32_t channelMask = 0;  // as the valve holds it
  int source = 1;                 // the monitor source, 1..6
};

// Takes the PWM frequency from the PWM field's text (a message and nothing
// when there is none to compute periods from), reads the channel mask and
// the monitor source (all channels and source 1 after a failed read, which
// CommError has reported) and writes source 1 back when the valve holds none
// of the six. A held divider of 0 counts as 1.
std::optional<ChartOpening> OpenChart(link::Port& port, std::string_view pwmText, std::uint32_t heldDivider,
                                      view::Questions& questions);

// After the window has closed: writes the channel mask when the chart changed
// it. A failed write has been reported by CommError; false then.
bool CloseChart(link::Port& port, std::uint32_t maskAtOpening, std::uint32_t mask);

}  // namespace tvx::trace
