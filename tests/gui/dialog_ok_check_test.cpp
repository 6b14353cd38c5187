// OK of the dialogs that write several registers: a field that does not
// convert keeps the dialog open with the focus on that field, its text
// selected (also once the message has closed), the conversion's message shown,
// and nothing written.
#include "dialog_fixture.h"

#include "params/held_parameters.h"
#include "remote/auto_form.h"
#include "service/ramp_form.h"
#include "service/xpid_form.h"
#include "status/errors_form.h"

#include <QLineEdit>
#include <QPushButton>

namespace tvx::apptest {
namespace {

class DialogOkCheck : public ParamsTest {};

TEST_F(DialogOkCheck, AFieldThatDoesNotConvertKeepsTheDialogOpenOnIt) {
  Open(4);  // every field shown
  params::HeldParameters held;
  std::uint32_t mask = 0;
  bool maskKnown = false;
  struct Case {
    const char* dialog;
    const char* field;
    const char* text;
    const char* message;
    std::function<void()> open;
  };
  const Case cases[] = {
      {"RampForm", "Ramp_B_Rise", "x", "'x' is not a valid floating point value.",
       [&] { service::OpenRampDialog(pgm_->port(), pgm_.get(), held, true, true); }},
      {"XPIDForm", "XPID_Ki", "1,2,3", "'1,2,3' is not a valid floating point value.",
       [&] { service::OpenNearZeroPidDialog(pgm_->port(), pgm_.get(), held, true); }},
      {"XPIDForm", "XPID_Limit_A", ",", "',' is not a valid floating point value.",
       [&] { service::OpenLargeErrorPidDialog(pgm_->port(), pgm_.get(), held); }},
      {"AutoForm", "Frequency", "1e", "'1e' is not a valid floating point value.",
       [&] { remote::OpenTestSignalDialog(pgm_->port(), pgm_->session().outputs, pgm_.get()); }},
      {"ErrorsForm", "Stop_Limit", "7a", "'7a' is not a valid integer value.",
       [&] {
         status::TErrorsForm form(pgm_.get());
         status::EditErrorSettings(pgm_->port(), {mask, maskKnown}, form);
       }},
      {"OptionsForm", "Dither_Freq", "9 9", "'9 9' is not a valid integer value.",
       [&] { pgm_->ServiceOptions->click(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    valve_.clearRequests();
    prompts_->clear();
    bool ran = false;
    WhileModal<QDialog>(
        [&](QDialog& dialog) {
          EXPECT_EQ(dialog.objectName(), QString::fromLatin1(c.dialog));
          auto* field = dialog.findChild<QLineEdit*>(QString::fromLatin1(c.field));
          auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("SendConfig"));
          ASSERT_TRUE(field && ok);
          field->setText(QString::fromLatin1(c.text));
          ok->setFocus();
          // The error box takes the activation and gives it back when it closes.
          QWidget box;
          prompts_->whileNextMessageShown([&] {
            box.show();
            QApplication::setActiveWindow(&box);
          });
          const std::size_t exchanged = valve_.requests().size();
          QTest::mouseClick(ok, Qt::LeftButton);
          box.hide();
          QApplication::setActiveWindow(&dialog);
          EXPECT_EQ(valve_.requests().size(), exchanged);  // nothing read again on the way back
          EXPECT_TRUE(dialog.isVisible());
          EXPECT_EQ(dialog.focusWidget(), field);
          EXPECT_EQ(field->selectedText(), QString::fromLatin1(c.text));
          EXPECT_EQ(MessageTexts(), std::vector<QString>{QString::fromLatin1(c.message)});
          QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
        },
        &ran);
    c.open();
    EXPECT_TRUE(ran);
    for (const std::string& r : valve_.requests()) EXPECT_TRUE(r[0] == 'R' || r[0] == 'G') << r;
  }
}

}  // namespace
}  // namespace tvx::apptest
