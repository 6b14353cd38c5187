// The main window's About picture, F1 and the "Sterownik USB" button.
#include "app_main_window_fixture.h"

#include "app/about_form.h"
#include "ui/hint_switch.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QTimer>

namespace tvx::apptest {
namespace {

class AboutWiringTest : public ::testing::Test {
 protected:
  IsolatedPorts ports_;
  testing::ScopedScriptedPrompts prompts_;

  // Runs `action` and returns the class of the modal dialog it opened (closed
  // at once), or an empty text when none opened.
  static QString ModalOpenedBy(const std::function<void()>& action) {
    QString opened;
    QTimer::singleShot(0, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        opened = QString::fromLatin1(modal->metaObject()->className());
        if (auto* about = qobject_cast<app::TAboutForm*>(modal)) opened += about->parent() ? " owned" : "";
        modal->close();
      }
    });
    action();
    QApplication::processEvents();
    return opened;
  }
};

TEST_F(AboutWiringTest, F1AndLeftClickOpenTheAboutBoxOtherButtonsSwitchHints) {
  auto pgm = MainWindowAt(0);
  const QString about = QStringLiteral("tvx::app::TAboutForm owned");
  EXPECT_EQ(ModalOpenedBy([&] { QTest::keyClick(pgm->ReadParameters, Qt::Key_F1); }), about);
  EXPECT_EQ(ModalOpenedBy([&] { QTest::mouseClick(pgm->AboutImage, Qt::LeftButton); }), about);

  struct On {
    ~On() { ui::SetHintsShown(true); }
  } restore;
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    EXPECT_TRUE(ModalOpenedBy([&] { QTest::mouseClick(pgm->AboutImage, button); }).isEmpty());
    EXPECT_FALSE(ui::HintsShown());
    QTest::mouseClick(pgm->AboutImage, button);
    EXPECT_TRUE(ui::HintsShown());
  }
}

TEST_F(AboutWiringTest, DriversButtonStartsTheExportAtAnyLevel) {
  auto pgm = MainWindowAt(0);
  pgm->Options->setCurrentIndex(2);  // "Port COM"
  QTest::mouseClick(pgm->Drivers, Qt::LeftButton);
  ASSERT_EQ(prompts_->shown().size(), 1u);  // the chooser, cancelled
  EXPECT_EQ(prompts_->shown()[0].kind, testing::ScriptedPrompts::Shown::Kind::Directory);
}

}  // namespace
}  // namespace tvx::apptest
