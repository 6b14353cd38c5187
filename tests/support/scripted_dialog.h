// A dialog for the widget-free sequences: fields, check boxes and hints kept
// in maps, a run that lets the test act as the user and answers OK or cancel;
// OK runs the sequence's check as the dialog does, and a failed check gives the
// user another turn with the dialog still open.
#pragma once

#include "link/comm_error.h"
#include "view/dialog_view.h"

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tvx::testing {

class ScriptedDialog : public view::DialogView {
 public:
  struct Field {
    std::string text = "---";
    std::optional<std::uint32_t> word;  // the valve word it was filled from
    std::string filled;                 // the text filled in with it
  };

  // What the user does while the dialog is shown; returns true for OK. Called
  // again after each OK whose check failed.
  std::function<bool(ScriptedDialog&)> user = [](ScriptedDialog&) { return true; };
  int runs = 0;  // the user's turns
  // The messages of failed checks and the fields they stopped at.
  std::vector<std::string> checkErrors;
  std::vector<std::string> failedFields;

  std::map<std::string, Field, std::less<>> fields;
  std::map<std::string, bool, std::less<>> checks;
  std::map<std::string, std::string, std::less<>> hints;

  // The user types a new text.
  void type(std::string_view name, const std::string& text) { fields[std::string(name)].text = text; }
  std::string text(std::string_view name) const {
    auto it = fields.find(name);
    return it == fields.end() ? std::string("---") : it->second.text;
  }

  char decimalSeparator() const override { return ','; }
  void setValveText(std::string_view name, const std::string& text, std::uint32_t word) override {
    fields[std::string(name)] = Field{text, word, text};
  }
  void setText(std::string_view name, const std::string& text) override {
    fields[std::string(name)] = Field{text, std::nullopt, {}};
  }
  view::FieldValue fieldValue(std::string_view name) const override {
    auto it = fields.find(name);
    if (it == fields.end()) return {"---", std::nullopt};
    const Field& f = it->second;
    return {f.text, f.word && f.text == f.filled ? f.word : std::nullopt};
  }
  void setChecked(std::string_view name, bool on) override { checks[std::string(name)] = on; }
  bool isChecked(std::string_view name) const override {
    auto it = checks.find(name);
    return it != checks.end() && it->second;
  }
  void setHint(std::string_view name, const std::string& hint) override { hints[std::string(name)] = hint; }
  bool run(const view::OkCheck& check) override {
    for (;;) {
      ++runs;
      if (!user(*this)) return false;
      try {
        if (!check || check()) return true;
      } catch (const link::ConversionError& e) {
        checkErrors.emplace_back(e.what());
      }
      if (runs > 10) throw std::logic_error("the scripted user keeps pressing a failing OK");
    }
  }
  void showFailedField(std::string_view name) override { failedFields.emplace_back(name); }
};

}  // namespace tvx::testing
