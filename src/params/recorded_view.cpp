#include "params/recorded_view.h"

#include "params/register_map.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tvx::params {

namespace {

// The boxes and mode labels of the configuration word, by component name.
bool ConfigWord::*ConfigurationBox(std::string_view component) {
  static constexpr std::pair<std::string_view, bool ConfigWord::*> Boxes[] = {
      {"Positions_3", &ConfigWord::positions3},      {"Voltage_Mode", &ConfigWord::voltageMode},
      {"LVDT_Mode", &ConfigWord::lvdtMode},          {"LVDT_CrossWire", &ConfigWord::lvdtCrossWire},
      {"RemoteControl", &ConfigWord::remoteControl}, {"ServiceMode", &ConfigWord::serviceMode},
  };
  for (const auto& [name, box] : Boxes)
    if (name == component) return box;
  return nullptr;
}

}  // namespace

void RecordedView::clearTexts() {
  texts.clear();
  hidden.clear();
  order.clear();
}

std::string RecordedView::text(std::string_view component) const {
  if (hidden.contains(component)) return {};
  const auto it = texts.find(component);
  return it == texts.end() ? std::string() : it->second;
}

void RecordedView::setText(std::string_view component, const std::string& text) {
  const std::string name(component);
  if (!texts.contains(name)) order.push_back(name);
  texts[name] = text;
}

void RecordedView::setValveText(std::string_view component, const std::string& text, std::uint32_t word) {
  fields[std::string(component)] = {text, word};
  setText(component, text);
}

void RecordedView::setVisible(std::string_view component, bool visible) {
  if (visible) hidden.erase(std::string(component));
  else hidden.insert(std::string(component));
}

view::FieldValue RecordedView::fieldValue(std::string_view component) const {
  const auto it = fields.find(component);
  if (it == fields.end()) throw std::logic_error("no value for " + std::string(component));
  return it->second;
}

void RecordedView::setChecked(std::string_view component, bool on) {
  if (bool ConfigWord::*box = ConfigurationBox(component)) configuration.*box = on;
  else checked[std::string(component)] = on;
}

bool RecordedView::isChecked(std::string_view component) const {
  if (bool ConfigWord::*box = ConfigurationBox(component)) return configuration.*box;
  const auto it = checked.find(component);
  return it != checked.end() && it->second;
}

void RecordedView::showOptionBits(const ConfigWord& word) {
  for (const OptionBox& box : OptionBoxes) configuration.Set(box.bit, word.Get(box.bit));
}

void RecordedView::putOptionBits(ConfigWord& word) const {
  for (const OptionBox& box : OptionBoxes) word.Set(box.bit, configuration.Get(box.bit));
}

void RecordedView::showProfile(const ProfileCaption& shown) {
  profile = shown;
  ParameterView::showProfile(shown);
}

}  // namespace tvx::params
