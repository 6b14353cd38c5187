// The dialog view of a service form: the sequences of src/service and
// src/remote see the form's fields, check boxes and radio buttons by their
// component names, and run the form modally through it; OK closes the form
// only when the sequence's check passes.
#pragma once

#include "ui/checked_dialog.h"
#include "ui/form_components.h"
#include "ui/number_fields.h"
#include "ui/valve_field.h"
#include "view/dialog_view.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QString>

#include <stdexcept>
#include <string>
#include <string_view>

namespace tvx::ui {

class FormDialogView : public view::DialogView {
 public:
  FormDialogView(CheckedDialog& dialog, const FormComponents& components) : dialog_(dialog), components_(components) {}

  char decimalSeparator() const override { return DecimalSeparator(); }

  void setValveText(std::string_view name, const std::string& text, std::uint32_t word) override {
    ValveField* field = edit(name);
    field->setValveText(QString::fromStdString(text), word);
    field->setCursorPosition(0);  // a text wider than its field shows its beginning
  }
  void setText(std::string_view name, const std::string& text) override {
    ValveField* field = edit(name);
    const QString t = QString::fromStdString(text);
    // An unchanged text keeps the cursor where the user has it.
    if (field->text() == t && !field->keptWord()) return;
    field->setProgramText(t);
  }
  view::FieldValue fieldValue(std::string_view name) const override { return edit(name)->value(); }

  void setChecked(std::string_view name, bool on) override {
    QAbstractButton* b = button(name);
    if (b->isChecked() == on) return;
    // A radio button of a group can only be cleared with the group's
    // exclusiveness off (a waveform the dialog has no button for).
    const bool radio = qobject_cast<QRadioButton*>(b) && !on;
    if (radio) b->setAutoExclusive(false);
    b->setChecked(on);
    if (radio) b->setAutoExclusive(true);
  }
  bool isChecked(std::string_view name) const override { return button(name)->isChecked(); }

  void setHint(std::string_view name, const std::string& hint) override {
    widget(name)->setToolTip(DesignText(hint.c_str()));
  }

  bool run(const view::OkCheck& check) override {
    dialog_.setOkCheck(check);
    const bool ok = dialog_.exec() == QDialog::Accepted;
    dialog_.setOkCheck({});
    return ok;
  }

  void showFailedField(std::string_view name) override { FocusFailedField(edit(name)); }

 private:
  template <class T>
  T* find(std::string_view name) const {
    const QString n = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (auto* object = qobject_cast<T*>(components_.object(n))) return object;
    throw std::logic_error("The dialog has no component " + std::string(name));
  }
  ValveField* edit(std::string_view name) const { return find<ValveField>(name); }
  QAbstractButton* button(std::string_view name) const { return find<QAbstractButton>(name); }
  QWidget* widget(std::string_view name) const { return find<QWidget>(name); }

  CheckedDialog& dialog_;
  const FormComponents& components_;
};

}  // namespace tvx::ui
