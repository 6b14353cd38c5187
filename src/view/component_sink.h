// How a sequence shows what it reads: a sink keyed by component name. The
// window implements it over its components (the names are the components'
// names, as the register map and the status tables give them); tests record
// it. Each call shows one value at once, so values read before a failure stay
// shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tvx::view {

class ComponentSink {
 public:
  virtual ~ComponentSink() = default;

  // The decimal separator numbers are shown with.
  virtual char decimalSeparator() const = 0;

  virtual void setText(std::string_view component, const std::string& text) = 0;
  // An edit field filled from a valve word: while its text stays as put here,
  // a send writes the word back unchanged.
  virtual void setValveText(std::string_view component, const std::string& text, std::uint32_t word) = 0;
  virtual void setVisible(std::string_view component, bool visible) = 0;
  virtual void setEnabled(std::string_view component, bool enabled) = 0;
  // Red, or back to the normal text colour.
  virtual void setRed(std::string_view component, bool red) = 0;
  virtual void setHint(std::string_view component, const std::string& hint) = 0;
  // A check box or mode label set by the program. The component's own
  // reaction runs when its state really changes (a mode label redraws).
  virtual void setChecked(std::string_view component, bool checked) = 0;
  // The set value on the bar and its label; a value that gives no bar
  // position (not a number, out of range) puts the bar at 0.
  virtual void setSetValue(float value) = 0;
  virtual void clearSetValue() = 0;
};

}  // namespace tvx::view
