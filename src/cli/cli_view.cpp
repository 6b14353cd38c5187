#include "cli/cli_view.h"

#include "params/register_map.h"

#include <algorithm>
#include <stdexcept>

namespace tvx::cli {

void CliView::clearTexts() {
  texts.clear();
  hidden.clear();
  order.clear();
}

std::string CliView::text(std::string_view component) const {
  if (hidden.contains(component)) return {};
  const auto it = texts.find(component);
  return it == texts.end() ? std::string() : it->second;
}

void CliView::setText(std::string_view component, const std::string& text) {
  const std::string name(component);
  if (!texts.contains(name)) order.push_back(name);
  texts[name] = text;
}

void CliView::setValveText(std::string_view component, const std::string& text, std::uint32_t word) {
  fields[std::string(component)] = {text, word};
  setText(component, text);
}

void CliView::setVisible(std::string_view component, bool visible) {
  if (visible)
    hidden.erase(std::string(component));
  else
    hidden.insert(std::string(component));
}

params::FieldValue CliView::fieldValue(std::string_view component) const {
  const auto it = fields.find(component);
  if (it == fields.end()) throw std::logic_error("no value for " + std::string(component));
  return it->second;
}

bool CliView::isChecked(std::string_view component) const {
  const auto it = checked.find(component);
  return it != checked.end() && it->second;
}

void CliView::putOptionBits(params::ConfigWord& word) const {
  for (const params::OptionBox& box : params::OptionBoxes) word.Set(box.bit, optionBits.Get(box.bit));
}

}  // namespace tvx::cli
