#include "trace/chart_opening.h"

#include "link/change_log.h"
#include "link/comm_error.h"
#include "link/exchanges.h"
#include "params/register_map.h"
#include "trace/chart_texts.h"
#include "trace/sampling.h"
#include "trace/trace_data.h"

namespace tvx::trace {

std::optional<ChartOpening> OpenChart(link::Port& port, std::string_view pwmText, std::uint32_t heldDivider,
                                      view::Questions& questions) {
  const std::optional<std::uint32_t> pwm = ParsePwm(pwmText);
  if (!pwm) {
    questions.ask(text::InvalidPwmText, text::InvalidPwmCaption, view::Questions::Icon::Error);
    return std::nullopt;
  }
  ChartOpening opening;
  opening.pwmHz = *pwm;
  opening.divider = heldDivider ? heldDivider : 1;

  std::uint32_t source = DacSource;
  try {
    opening.channelMask = link::ReadParameter(port, params::reg::ChannelMask);
    source = link::ReadParameter(port, params::reg::MonitorSource);
  } catch (const link::UsbError&) {
    opening.channelMask = AllChannels;
    source = DacSource;
  }
  if (!IsValidSource(source)) {
    source = DacSource;
    link::ChangeLogScope logged(ChartOperation);
    link::WriteRegister(port, params::reg::MonitorSource, source);
  }
  opening.source = static_cast<int>(source);
  return opening;
}

bool CloseChart(link::Port& port, std::uint32_t maskAtOpening, std::uint32_t mask) {
  if (mask == maskAtOpening) return true;
  try {
    link::ChangeLogScope logged(ChartOperation);
    link::WriteRegister(port, params::reg::ChannelMask, mask);
  } catch (const link::UsbError&) {
    return false;
  }
  return true;
}

}  // namespace tvx::trace
