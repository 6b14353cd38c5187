// A window stand-in for the sequences: records what a sequence shows, in
// order, and gives back fields and switches from maps. Filling a field from a
// valve word keeps the word, as the program's fields do, so a read followed
// by a send runs entirely below the windows.
#pragma once

#include "params/parameter_set.h"
#include "params/register_map.h"
#include "view/questions.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tvx::testing {

class RecordingView : public params::ParameterView {
 public:
  // Every call as "<what> <component>=<value>", in order.
  std::vector<std::string> calls;
  std::map<std::string, std::string, std::less<>> texts;
  std::map<std::string, view::FieldValue, std::less<>> fields;
  std::map<std::string, bool, std::less<>> checked, visible, enabled, red;
  std::map<std::string, std::string, std::less<>> hints;
  std::set<std::string, std::less<>> missing;  // components that do not exist
  std::optional<float> setValue;
  params::ConfigWord optionBits;
  std::uint32_t firmware = 0;
  std::string serialNumber, deviceType;
  // Called after each recorded call (for example to note the requests so far).
  std::function<void(const std::string& call)> onCall;

  char decimalSeparator() const override { return ','; }
  void setText(std::string_view c, const std::string& text) override {
    texts[std::string(c)] = text;
    record("text", c, text);
  }
  void setValveText(std::string_view c, const std::string& text, std::uint32_t word) override {
    fields[std::string(c)] = {text, word};
    record("field", c, text);
  }
  void setVisible(std::string_view c, bool on) override { visible[std::string(c)] = on, recordFlag("visible", c, on); }
  void setEnabled(std::string_view c, bool on) override { enabled[std::string(c)] = on, recordFlag("enabled", c, on); }
  void setRed(std::string_view c, bool on) override { red[std::string(c)] = on, recordFlag("red", c, on); }
  void setHint(std::string_view c, const std::string& hint) override {
    hints[std::string(c)] = hint, record("hint", c, hint);
  }
  void setChecked(std::string_view c, bool on) override { checked[std::string(c)] = on, recordFlag("checked", c, on); }
  void setSetValue(float value) override { setValue = value, record("setValue", "Set_Bar", std::to_string(value)); }
  void clearSetValue() override { setValue.reset(), record("setValue", "Set_Bar", "none"); }

  bool hasComponent(std::string_view c) const override { return !missing.contains(c); }
  view::FieldValue fieldValue(std::string_view c) const override {
    const auto it = fields.find(c);
    if (it == fields.end()) throw std::logic_error("no field " + std::string(c));
    return it->second;
  }
  bool isChecked(std::string_view c) const override {
    const auto it = checked.find(c);
    return it != checked.end() && it->second;
  }
  void showOptionBits(const params::ConfigWord& word) override { optionBits = word, record("options", "", ""); }
  void putOptionBits(params::ConfigWord& word) const override {
    for (const params::OptionBox& box : params::OptionBoxes) word.Set(box.bit, optionBits.Get(box.bit));
  }
  void showFirmware(std::uint32_t word) override { firmware = word, record("firmware", "", std::to_string(word)); }
  void showSerialNumber(const std::string& bytes) override { serialNumber = bytes, record("serial", "", bytes); }
  void showDeviceType(const std::string& bytes) override { deviceType = bytes, record("type", "", bytes); }
  void showFailedField(std::string_view c) override { record("failed", c, ""); }

 private:
  void record(const char* what, std::string_view c, const std::string& value) {
    calls.push_back(std::string(what) + " " + std::string(c) + "=" + value);
    if (onCall) onCall(calls.back());
  }
  void recordFlag(const char* what, std::string_view c, bool value) { record(what, c, value ? "1" : "0"); }
};

// Questions answered from a queue (the default button's answer when it is
// empty); every question is kept.
class ScriptedQuestions : public view::Questions {
 public:
  std::vector<std::string> asked;  // "<caption>|<text>"
  std::deque<Answer> answers;

  Answer ask(const std::string& text, const std::string& caption, Icon, Buttons buttons) override {
    asked.push_back(caption + "|" + text);
    if (!answers.empty()) {
      const Answer a = answers.front();
      answers.pop_front();
      return a;
    }
    if (buttons == Buttons::YesNoDefaultNo) return Answer::No;
    return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
  }
  std::optional<std::string> askSaveFile(const FileQuestion& q) override { return file(q); }
  std::optional<std::string> askOpenFile(const FileQuestion& q) override { return file(q); }
  std::optional<std::string> askDirectory(const std::string& caption, const std::string&) override {
    asked.push_back(caption + "|");
    return std::nullopt;
  }

 private:
  std::optional<std::string> file(const FileQuestion& q) {
    asked.push_back(q.caption + "|" + q.fileName);
    return std::nullopt;
  }
};

}  // namespace tvx::testing
