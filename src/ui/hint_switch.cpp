#include "ui/hint_switch.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QToolTip>

namespace tvx::ui {

namespace {

// Installed on the application while hints are off: every tool-tip request of
// every widget passes through it and is swallowed.
class HintBlocker : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip) return true;
    return QObject::eventFilter(watched, event);
  }
};

// Parented to the application, so it goes when the application does.
QPointer<HintBlocker>& Blocker() {
  static QPointer<HintBlocker> blocker;
  return blocker;
}

}  // namespace

bool HintsShown() { return Blocker() == nullptr; }

void SetHintsShown(bool shown) {
  if (shown == HintsShown()) return;
  if (shown) {
    delete Blocker().data();
    return;
  }
  Blocker() = new HintBlocker;
  Blocker()->setParent(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(Blocker());
  QToolTip::hideText();
}

void ToggleHints() { SetHintsShown(!HintsShown()); }

}  // namespace tvx::ui
