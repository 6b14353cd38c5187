#include "status/status_refresh.h"

#include "link/exchanges.h"
#include "link/protocol.h"
#include "link/pump_wait.h"
#include "params/conversions.h"
#include "params/plausible_words.h"
#include "params/register_map.h"
#include "status/status_text.h"
#include "view/no_value.h"

namespace tvx::status {

namespace {

namespace state = params::state;
namespace cmd = params::cmd;

// Pause between a reset command and the refresh that shows its effect.
constexpr unsigned ResetSettleMs = 100;

void ReadErrorHistory(link::Port& port, StatusState& status) {
  status.ErrorHistory.fill(0);
  link::SendCommand(port, cmd::RestartErrorHistory, proto::OneShot);
  for (std::uint8_t& code : status.ErrorHistory) {
    // A word above 255 is no code and ends the refresh.
    code = ErrorHistoryCode(link::ReadRegister(port, state::ErrorHistory));
    if (code == 0) break;
  }
}

}  // namespace

void StatusRefresh(link::Port& port, const params::ValveState& valve, StatusState& status, view::ComponentSink& view,
                   const RefreshModes& modes) {
  params::MaskFloatingPointExceptions();
  status.TemperatureLimit = DefaultTemperatureLimit;
  const char sep = view.decimalSeparator();

  const std::uint32_t errorMask = params::ReadParameterWord(port, params::reg::ErrorMask);
  if (TemperatureLimitFromRegister(errorMask))
    status.TemperatureLimit = TemperatureLimitOf(params::ReadParameterWord(port, params::reg::TemperatureWarning));

  // Unlike the parameter read, a failed exchange here ends the refresh.
  view.setSetValue(link::ReadRegisterFloat(port, state::SetValue));

  view.setText("Coil_A_Peak", PeakText(link::ReadRegister(port, state::PeakA), sep));
  view.setText("Coil_B_Peak", PeakText(link::ReadRegister(port, state::PeakB), sep));

  status.DiagnosticMax = link::ReadRegister(port, state::DiagnosticMax);
  ReadErrorHistory(port, status);

  view.setText("Coil_A_Set", SetCoilText(link::ReadRegisterFloat(port, state::SetCoilA), modes.lvdt, sep));
  view.setText("Coil_A_Set_Type", SetCoilCaption('A', modes.lvdt));
  view.setText("Coil_B_Set", SetCoilText(link::ReadRegisterFloat(port, state::SetCoilB), modes.lvdt, sep));
  view.setText("Coil_B_Set_Type", SetCoilCaption('B', modes.lvdt));

  ShowStop(port, valve, status, view, link::ReadRegister(port, state::StopCode));

  const std::uint32_t dac = link::ReadRegister(port, state::DAC_Value);
  view.setValveText("DAC_Value", std::to_string(dac), dac);

  StatusFlags flags;
  flags.lvdt = modes.lvdt;
  flags.voltageInput = modes.voltageInput;
  flags.boardVariant = valve.BoardVariant;
  flags.in2Present = valve.In2Present;
  for (const StatusFloat& value : StatusFloats) {
    const float x = link::ReadRegisterFloat(port, value.stateRegister);
    view.setText(value.label, StatusValueText(value.format, x, flags, sep));
    if (value.stateRegister == state::Temperature) view.setRed(value.label, TemperatureRed(x, status.TemperatureLimit));
  }

  view.setHint("Info_Temp", TemperatureMaxHint(link::ReadRegisterFloat(port, state::TemperatureMax), sep));
}

void ShowStatusUnknown(view::ComponentSink& view) {
  const std::string unknown = view::NoValueText;
  for (const StatusFloat& value : StatusFloats) view.setText(value.label, unknown);
  for (const char* label : {"Coil_A_Peak", "Coil_B_Peak", "Coil_A_Set", "Coil_B_Set", "DAC_Value"})
    view.setText(label, unknown);
  view.setRed("Info_Temp", false);
}

void ShowStop(link::Port& port, const params::ValveState& valve, StatusState& status, view::ComponentSink& view,
              std::uint32_t code) {
  status.LastStopCode = static_cast<std::int32_t>(code);
  if (code == NoStop) {
    view.setVisible("StopCodeLabel", false);
    view.setVisible("StopInfo", false);
    return;
  }
  view.setText("StopCodeLabel", StopCodeCaption(code));
  view.setVisible("StopCodeLabel", true);
  const float critical = link::ReadRegisterFloat(port, state::CriticalValue);
  view.setText("StopInfo", StopInfoText(code, critical, valve.BoardVariant, view.decimalSeparator()));
  view.setVisible("StopInfo", true);
}

void ClearSoftStop(link::Port& port, const StatusState& status) {
  if (StopInfoClickClears(status.LastStopCode)) link::SendCommand(port, cmd::ClearStop, proto::MarkerTrue);
}

void ResetTemperatureMax(link::Port& port) {
  link::SendCommand(port, cmd::ResetTemperatureMax, proto::OneShot);
  link::PumpWait(ResetSettleMs);
}

void ResetUsupplyMax(link::Port& port) {
  link::SendCommand(port, cmd::ResetUsupplyMax, proto::OneShot);
  link::PumpWait(ResetSettleMs);
}

void ResetPeak(link::Port& port, view::ComponentSink& view, char coil) {
  const bool a = coil == 'A';
  view.setText(a ? "Coil_A_Peak" : "Coil_B_Peak", std::string(PeakResetText));
  link::SendCommand(port, cmd::ResetPeak, a ? params::ResetPeakA : params::ResetPeakB);
  link::PumpWait(ResetSettleMs);
}

void SendFirmwareLabelCommand(link::Port& port) { link::SendCommand(port, cmd::FirmwareLabel, proto::MarkerTrue); }

}  // namespace tvx::status
