#include "remote/test_signal.h"

#include "link/change_log.h"
#include "link/exchanges.h"
#include "params/dialog_fields.h"
#include "params/register_map.h"

namespace tvx::remote {

namespace reg = params::reg;

const std::array<WaveformRadio, 4> Waveforms{{
    {0, "AutoStop"},
    {1, "AutoSinus"},
    {2, "AutoSquare"},
    {4, "AutoTriangle"},
}};

const std::array<SignalField, 3> SignalFields{{
    {"Amplitude", reg::AutoAmplitude},
    {"Frequency", reg::AutoFrequency},
    {"Offset", reg::AutoOffset},
}};

std::string_view WaveformRadioOf(std::uint32_t word) {
  for (const WaveformRadio& w : Waveforms)
    if (w.code == (word & 7u)) return w.name;
  return {};
}

void TestSignalSetup(link::Port& port, view::DialogView& dialog) {
  for (const SignalField& f : SignalFields) params::ReadFloatIntoField(port, dialog, f.name, f.reg);
  const std::string_view radio = WaveformRadioOf(link::ReadParameter(port, reg::AutoWaveform));
  for (const WaveformRadio& w : Waveforms) dialog.setChecked(w.name, w.name == radio);

  const auto words = params::RunFloatFieldDialog(dialog, SignalFields);
  if (!words) return;

  link::ChangeLogScope logged("Auto");
  params::WriteFieldWords(port, SignalFields, *words);
  std::uint32_t code = 0;
  for (const WaveformRadio& w : Waveforms)
    if (w.code != 0 && dialog.isChecked(w.name)) {
      code = w.code;
      break;
    }
  link::WriteRegister(port, reg::AutoWaveform, code);
}

}  // namespace tvx::remote
