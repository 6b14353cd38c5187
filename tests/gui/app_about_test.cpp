// The About box, and the program-wide switch of hints.
#include "app/about_form.h"
#include "ui/hint_switch.h"
#include "ui/widgets.h"

#include <QHelpEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>

namespace tvx::apptest {
namespace {

TEST(AboutBox, TextsAreCentredInTheirFonts) {
  QWidget owner;
  app::TAboutForm about(&owner);
  EXPECT_EQ(about.size(), QSize(350, 303));
  EXPECT_FALSE(about.LogoJPG->pixmap().isNull());
  EXPECT_EQ(about.LogoJPG->geometry(), QRect(0, 0, 350, 107));
  EXPECT_TRUE(about.CopyInfo->text().endsWith(QStringLiteral("sp. z o.o."))) << about.CopyInfo->text().toStdString();
  for (ui::Label* l : {about.PgmName, about.Version, about.CopyInfo, about.Street, about.Mail}) {
    const int width = QFontMetrics(l->font()).horizontalAdvance(l->text());
    EXPECT_EQ(l->x(), (350 - width) / 2) << l->objectName().toStdString();
    EXPECT_LE(l->x() + l->width(), 350 + 1) << l->objectName().toStdString();
  }
  EXPECT_EQ(about.Version->font().pixelSize(), 16);
  EXPECT_TRUE(about.PgmName->font().bold());
  EXPECT_LT(about.Version->geometry().bottom(), about.PanelLine->y());
  EXPECT_GT(about.Mail->geometry().bottom(), about.PanelLine->y());
  EXPECT_LT(about.Mail->geometry().bottom(), 303);
}

TEST(AboutBox, EscCloses) {
  app::TAboutForm about;
  QTimer::singleShot(0, &about, [&] { QTest::keyClick(&about, Qt::Key_Escape); });
  EXPECT_EQ(about.exec(), QDialog::Rejected);
}

// Whether a tool-tip request reaches the widget (where it would show its hint).
bool HintShows(QWidget& w) {
  struct Seen : QObject {
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override {
      seen = seen || e->type() == QEvent::ToolTip;
      return false;
    }
  } probe;
  w.installEventFilter(&probe);
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), w.mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(&w, &help);
  w.removeEventFilter(&probe);
  QToolTip::hideText();
  return probe.seen;
}

TEST(Hints, SwitchOffAndOnForEveryWindowIncludingLaterOnes) {
  struct On {
    ~On() { ui::SetHintsShown(true); }
  } restore;
  QPushButton before(QStringLiteral("x"));
  before.setToolTip(QStringLiteral(" Podpowiedź "));
  before.show();
  ASSERT_TRUE(HintShows(before));

  ui::ToggleHints();
  EXPECT_FALSE(ui::HintsShown());
  EXPECT_FALSE(HintShows(before));
  QPushButton later(QStringLiteral("y"));  // a window created while hints are off
  later.setToolTip(QStringLiteral(" Później "));
  later.show();
  EXPECT_FALSE(HintShows(later));

  ui::ToggleHints();
  EXPECT_TRUE(ui::HintsShown());
  EXPECT_TRUE(HintShows(before));
  EXPECT_TRUE(HintShows(later));
}

}  // namespace
}  // namespace tvx::apptest
