#include "remote/live_outputs.h"

#include "link/exchanges.h"
#include "link/protocol.h"
#include "params/register_map.h"
#include "remote/switches.h"

#include <algorithm>

namespace tvx::remote {

namespace cmd = params::cmd;
namespace state = params::state;

namespace {

// The configuration word's bit that carries the remote state.
constexpr std::uint32_t RemoteBit = 1u << 21;
constexpr std::uint32_t WaveformBits = 7;
constexpr std::uint32_t PwmEnableBits = 3;

struct OutputName {
  LiveOutput output;
  const char* marker;    // short, for the marker near the set value
  const char* question;  // a line of the question
};

constexpr OutputName Names[] = {
    {LiveOutput::TestSignal, "symulacja", "symulowany sygnał wartości zadanej"},
    {LiveOutput::ManualPwm, "PWM ręcznie", "sterowanie ręczne wyjściami PWM"},
    {LiveOutput::DacOverride, "DAC ręcznie", "sterowanie ręczne wyjścia DAC"},
    {LiveOutput::RemoteControl, "sterowanie zdalne", "sterowanie zdalne"},
};

const OutputName& NameOf(LiveOutput output) {
  return *std::find_if(std::begin(Names), std::end(Names),
                       [output](const OutputName& n) { return n.output == output; });
}

}  // namespace

const char* const SwitchOffCaption = " Wyjścia rozdzielacza";

void LiveOutputs::set(bool& item, bool value) {
  if (item == value) return;
  item = value;
  if (changed_) changed_();
}

void LiveOutputs::set(std::uint32_t& item, std::uint32_t value) {
  if (item == value) return;
  item = value;
  if (changed_) changed_();
}

void LiveOutputs::Note(char letter, int reg, std::optional<std::uint32_t> sent, std::uint32_t answer) {
  const auto yes = [](std::uint32_t word) { return word == proto::MarkerTrue; };
  if (letter == proto::CommandLetter && sent) {
    switch (reg) {
      case cmd::RemoteControl: set(remoteControl_, yes(*sent)); break;
      case cmd::DacOverride: set(dacOverride_, yes(*sent)); break;
      case cmd::ManualPwmValues: set(pwmValues_, *sent); break;
      case cmd::ManualPwmEnables: set(pwmEnables_, *sent & PwmEnableBits); break;
      case cmd::TypicalValues:
      case cmd::SelectProfile:
        // The working parameters were reloaded: the waveform is no longer known.
        set(testSignal_, false);
        break;
      case cmd::ResetValve:
        if (*sent != proto::OneShot) break;
        // The valve starts afresh: its own control, the stored waveform.
        set(remoteControl_, false);
        set(dacOverride_, false);
        set(pwmEnables_, 0);
        set(pwmValues_, 0);
        set(testSignal_, false);
        break;
      default: break;
    }
  } else if (letter == proto::WriteLetter && sent) {
    if (reg == params::reg::AutoWaveform) set(testSignal_, (*sent & WaveformBits) != 0);
    if (reg == params::reg::Configuration) set(remoteControl_, (*sent & RemoteBit) != 0);
  } else if (letter == proto::ReadParameterLetter) {
    if (reg == params::reg::AutoWaveform) set(testSignal_, (answer & WaveformBits) != 0);
  } else if (letter == proto::ReadStateLetter) {
    switch (reg) {
      case state::RemoteControl: set(remoteControl_, yes(answer)); break;
      case state::DacOverride: set(dacOverride_, yes(answer)); break;
      case state::PwmMaxAndEnables: set(pwmEnables_, answer & PwmEnableBits); break;
      case state::ManualPwm: set(pwmValues_, answer); break;
      default: break;
    }
  }
}

void LiveOutputs::Forget() {
  set(testSignal_, false);
  set(pwmEnables_, 0);
  set(pwmValues_, 0);
  set(dacOverride_, false);
  set(remoteControl_, false);
}

bool LiveOutputs::on(LiveOutput output) const {
  switch (output) {
    case LiveOutput::TestSignal: return testSignal_;
    case LiveOutput::ManualPwm: return pwmEnables_ != 0;
    case LiveOutput::DacOverride: return dacOverride_;
    case LiveOutput::RemoteControl: return remoteControl_;
  }
  return false;
}

std::vector<LiveOutput> LiveOutputs::on(const std::vector<LiveOutput>& which) const {
  std::vector<LiveOutput> result;
  for (LiveOutput o : AllLiveOutputs)
    if (on(o) && std::find(which.begin(), which.end(), o) != which.end()) result.push_back(o);
  return result;
}

void WatchOutputs(link::Port& port, LiveOutputs* outputs) {
  if (!outputs) {
    link::SetExchangeObserver(port, {});
    return;
  }
  link::SetExchangeObserver(port, [outputs](char letter, int reg, std::optional<std::uint32_t> sent,
                                            std::uint32_t answer) { outputs->Note(letter, reg, sent, answer); });
}

std::string LiveOutputsMarker(const LiveOutputs& outputs) {
  std::string text;
  for (LiveOutput o : AllLiveOutputs) {
    if (!outputs.on(o)) continue;
    text += text.empty() ? "Włączone: " : ", ";
    text += NameOf(o).marker;
  }
  return text;
}

std::string SwitchOffQuestion(const std::vector<LiveOutput>& on) {
  std::string text = " Rozdzielacz pozostaje w trybie ustawionym przez program: \n";
  for (LiveOutput o : on) text += std::string("   - ") + NameOf(o).question + " \n";
  text += "\n Wyłączyć? ";
  return text;
}

void SwitchOff(link::Port& port, const LiveOutputs& outputs, const std::vector<LiveOutput>& on,
               view::ComponentSink* view) {
  for (LiveOutput o : on) {
    switch (o) {
      case LiveOutput::TestSignal: link::WriteRegister(port, params::reg::AutoWaveform, 0); break;
      case LiveOutput::ManualPwm:
        // As the dialog's send with both coils unticked and the values left alone.
        link::SendCommand(port, cmd::ManualPwmValues, outputs.pwmValues());
        link::SendCommand(port, cmd::ManualPwmEnables, 0);
        break;
      case LiveOutput::DacOverride: SwitchDacOverride(port, false); break;
      case LiveOutput::RemoteControl:
        if (view) {
          SwitchRemoteControl(port, *view, false);
        } else {
          link::SendCommand(port, cmd::RemoteControl, proto::MarkerFalse);
          link::ReadRegisterFloat(port, state::SetValue);
        }
        break;
    }
  }
}

bool OfferSwitchOff(link::Port& port, const LiveOutputs& outputs, const std::vector<LiveOutput>& which,
                    view::Questions& questions, view::ComponentSink* view) {
  const std::vector<LiveOutput> on = outputs.on(which);
  if (on.empty()) return false;
  using Q = view::Questions;
  if (questions.ask(SwitchOffQuestion(on), SwitchOffCaption, Q::Icon::Question, Q::Buttons::YesNo) != Q::Answer::Yes)
    return false;
  SwitchOff(port, outputs, on, view);
  return true;
}

}  // namespace tvx::remote
