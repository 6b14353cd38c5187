#include "params/recorded_view.h"

#include "params/register_map.h"

#include <algorithm>
#include <stdexcept>

namespace tvx::params {

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
  if (visible)
    hidden.erase(std::string(component));
  else
    hidden.insert(std::string(component));
}

view::FieldValue RecordedView::fieldValue(std::string_view component) const {
  const auto it = fields.find(component);
  if (it == fields.end()) throw std::logic_error("no value for " + std::string(component));
  return it->second;
}

bool RecordedView::isChecked(std::string_view component) const {
  const auto it = checked.find(component);
  return it != checked.end() && it->second;
}

void RecordedView::putOptionBits(ConfigWord& word) const {
  for (const OptionBox& box : OptionBoxes) word.Set(box.bit, optionBits.Get(box.bit));
}

}  // namespace tvx::params
