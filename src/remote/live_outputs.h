// Outputs the valve keeps driving by the program's command after a dialog
// closes, after a disconnect and after the window closes: the test signal,
// manual PWM of the coils, the DAC override and remote control. What is known
// of them comes from the exchanges themselves (the program's own commands
// since the port was opened, and the reads that tell their state), so no
// sequence has to remember to report it. No widget here: the window shows the
// knowledge and asks, through Questions, whether to switch them off.
#pragma once

#include "link/port.h"
#include "view/component_sink.h"
#include "view/questions.h"

#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tvx::remote {

// In the order they are switched off.
enum class LiveOutput { TestSignal, ManualPwm, DacOverride, RemoteControl };

inline constexpr LiveOutput AllLiveOutputs[] = {LiveOutput::TestSignal, LiveOutput::ManualPwm, LiveOutput::DacOverride,
                                                LiveOutput::RemoteControl};

class LiveOutputs {
 public:
  // A framed exchange that succeeded (see link::SetExchangeObserver).
  void Note(char letter, int reg, std::optional<std::uint32_t> sent, std::uint32_t answer);
  // The port was opened or closed: another valve may answer next.
  void Forget();

  bool on(LiveOutput output) const;
  // Those of `which` known to be on, in switching-off order.
  std::vector<LiveOutput> on(const std::vector<LiveOutput>& which) const;
  bool any() const {
    return !on(std::vector<LiveOutput>(std::begin(AllLiveOutputs), std::end(AllLiveOutputs))).empty();
  }
  // The coil values of manual PWM as the valve has them (A high, B low half).
  std::uint32_t pwmValues() const { return pwmValues_; }

  // Called whenever what is known changes (the window redraws its marker).
  void setChangedHook(std::function<void()> hook) { changed_ = std::move(hook); }

 private:
  void set(bool& item, bool value);
  void set(std::uint32_t& item, std::uint32_t value);

  bool testSignal_ = false;
  std::uint32_t pwmEnables_ = 0;
  std::uint32_t pwmValues_ = 0;
  bool dacOverride_ = false;
  bool remoteControl_ = false;
  std::function<void()> changed_;
};

// Feeds `outputs` from every exchange from now on; nullptr stops it.
void WatchOutputs(link::Port& port, LiveOutputs* outputs);

// The marker near the set value: "Włączone: ..." with a short name of each
// output known to be on; empty when none is.
std::string LiveOutputsMarker(const LiveOutputs& outputs);
// The question for the outputs of `on` (not empty).
std::string SwitchOffQuestion(const std::vector<LiveOutput>& on);
extern const char* const SwitchOffCaption;

// The switching-off commands of each output in `on`, in this order: the test
// signal (waveform 0), manual PWM (the values the valve has, then no coil
// manual), the DAC override (off), remote control (off, then the set value the
// valve uses now onto `view`, as the remote switch does).
void SwitchOff(link::Port& port, const LiveOutputs& outputs, const std::vector<LiveOutput>& on,
               view::ComponentSink* view);

// Asks whether to switch off those of `which` that are known to be on and on
// "Tak" switches them off; nothing is asked when none of them is on. A failed
// exchange is reported and ends the switching off (UsbError). True when the
// person said yes.
bool OfferSwitchOff(link::Port& port, const LiveOutputs& outputs, const std::vector<LiveOutput>& which,
                    view::Questions& questions, view::ComponentSink* view);

}  // namespace tvx::remote
