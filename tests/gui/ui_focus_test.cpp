// The keyboard's way through the windows: Tab and Shift+Tab in reading order
// through every form, where the focus lands after the main window's actions,
// and the field a failed send points at.
#include "every_form.h"
#include "params_fixture.h"

#include <QApplication>
#include <QGroupBox>

#include <algorithm>
#include <set>

namespace tvx::apptest {
namespace {

// A control Tab should reach: shown, usable, and taking the focus by Tab itself.
bool TabStop(const QWidget* w) {
  return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

QRect InWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

QString Name(const QWidget* w) {
  return w ? QStringLiteral("%1 (%2)").arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()))
           : QStringLiteral("(none)");
}

// Presses Tab (with `modifiers`) until the focus comes round to where the
// first press put it; consecutive presses within one control (a grid's cells)
// count as one stop.
std::vector<QWidget*> Walk(QWidget& form, Qt::KeyboardModifiers modifiers) {
  auto press = [&] {
    QWidget* at = QApplication::focusWidget();
    QTest::keyClick(at ? at : &form, Qt::Key_Tab, modifiers);
    QWidget* now = QApplication::focusWidget();
    if (now && now->window() == &form) return now;
    ADD_FAILURE() << "the focus left the window after " << Name(at).toStdString();
    return static_cast<QWidget*>(nullptr);
  };
  std::vector<QWidget*> stops;
  QWidget* first = press();
  if (!first) return stops;
  stops.push_back(first);
  for (int i = 0; i < 1000; ++i) {
    QWidget* now = press();
    if (!now || now == first) return stops;
    if (now == stops.back()) continue;
    if (std::find(stops.begin(), stops.end(), now) != stops.end()) {
      ADD_FAILURE() << "the focus goes round without " << Name(first).toStdString() << ", back at "
                    << Name(now).toStdString();
      return stops;
    }
    stops.push_back(now);
  }
  ADD_FAILURE() << "the focus stays in " << Name(stops.back()).toStdString();
  return stops;
}

// Within one window, the next stop is to the right in the same row or lower
// down, or at the top of a column further right (neighbours may share a
// border line).
bool ReadsOn(const QWidget* from, const QWidget* to) {
  const QRect a = InWindow(from).adjusted(0, 2, 0, -2), b = InWindow(to);
  if (b.top() > a.bottom()) return true;                  // lower down
  if (b.bottom() < a.top()) return b.left() > a.right();  // a column to the right
  return b.left() > a.left();                             // the same row, further right
}

TEST(FocusTest, TabWalksEveryControlOnceInReadingOrder) {
  for (int level : {0, 2, 4}) {
    VisitEveryForm(level, [&](const QString& name, QWidget& form) {
      SCOPED_TRACE((name + QStringLiteral(" at level %1").arg(level)).toStdString());
      std::set<QWidget*> expected;
      for (QWidget* w : form.findChildren<QWidget*>())
        if (TabStop(w) && form.rect().intersects(InWindow(w))) expected.insert(w);
      if (expected.empty()) return;  // nothing to type into or press (About)

      const std::vector<QWidget*> forward = Walk(form, Qt::NoModifier);
      const std::set<QWidget*> visited(forward.begin(), forward.end());
      for (QWidget* w : expected)
        if (!visited.count(w)) ADD_FAILURE() << "never reached: " << Name(w).toStdString();
      for (QWidget* w : visited)
        if (!expected.count(w)) ADD_FAILURE() << "reached though out of reach: " << Name(w).toStdString();

      // In reading order, but for the one step from the last control back to the first.
      int backSteps = 0;
      for (std::size_t i = 0; i < forward.size(); ++i) {
        QWidget* from = forward[i];
        QWidget* to = forward[(i + 1) % forward.size()];
        if (!ReadsOn(from, to) && ++backSteps > 1)
          ADD_FAILURE() << "out of order: " << Name(from).toStdString() << " -> " << Name(to).toStdString();
      }

      // Shift+Tab from the last stop walks the same way back.
      std::vector<QWidget*> backward = Walk(form, Qt::ShiftModifier);
      std::reverse(backward.begin(), backward.end());
      if (!backward.empty())
        std::rotate(backward.begin(), std::find(backward.begin(), backward.end(), forward.front()), backward.end());
      EXPECT_EQ(backward, forward) << "Shift+Tab does not walk back the same way";
    });
  }
}

class FocusAtActionsTest : public ParamsTest {};

// Qt hands the focus of a button that its own handler disables to the next
// control in the chain; next to the read and send buttons that is Reset,
// where a stray Space would restart the valve. A read also moves the set
// value, which parks the focus on the remote group (not on its switch).
TEST_F(FocusAtActionsTest, ResetNeverTakesTheFocusFromStartUpConnectingReadingOrSending) {
  for (int level : {0, 2}) {
    SCOPED_TRACE(level);
    options_.reset();
    pgm_.reset();  // one main window at a time: it owns the Receiver thread
    pgm_ = MainWindowAt(level);
    options_ = std::make_unique<service::TOptionsForm>(pgm_->port(), pgm_.get());
    Activate();
    EXPECT_NE(QApplication::focusWidget(), pgm_->Reset) << "start-up";

    struct Press {
      const char* what;
      QPushButton* button;
      QWidget* focusAfter;
    };
    const bool reads = level == 0;  // connecting reads the set at level 0
    const Press presses[] = {
        {"connecting", pgm_->DisConnect, reads ? static_cast<QWidget*>(pgm_->ManualControl) : pgm_->DisConnect},
        {"reading", pgm_->ReadParameters, pgm_->ManualControl},
        {"sending", pgm_->SendParameters, pgm_->SendParameters},
    };
    for (const Press& p : presses) {
      p.button->setFocus();
      QTest::keyClick(p.button, Qt::Key_Space);
      ASSERT_TRUE(pgm_->port().PortOpen.load()) << p.what;
      EXPECT_EQ(QApplication::focusWidget(), p.focusAfter)
          << p.what << ": " << Name(QApplication::focusWidget()).toStdString();
    }
    EXPECT_TRUE(prompts_->messages().empty());
    ClickDisConnect(*pgm_);
  }
}

TEST_F(FocusAtActionsTest, SendThatStopsAtAFieldPutsTheFocusThereWithItsTextSelected) {
  OpenAndRead(2);
  Activate();
  pgm_->PID_D->setText(QStringLiteral("1,2x"));
  pgm_->SendParameters->setFocus();
  QTest::keyClick(pgm_->SendParameters, Qt::Key_Space);
  EXPECT_EQ(MessageTexts(), std::vector<QString>({QStringLiteral("'1,2x' is not a valid floating point value.")}));
  EXPECT_EQ(QApplication::focusWidget(), pgm_->PID_D);
  EXPECT_EQ(pgm_->PID_D->selectedText(), QStringLiteral("1,2x"));
  EXPECT_TRUE(pgm_->SendParameters->isEnabled());
}

}  // namespace
}  // namespace tvx::apptest
